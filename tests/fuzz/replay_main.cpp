// Runs every file of the given folders (or the given files) through the fuzz
// target once, as libFuzzer would, so that the normal build checks each corpus.
#include "fuzz_check.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

int main(int argc, char **argv)
{
    int inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const QFileInfo given(QFile::decodeName(argv[i]));
        QStringList files;
        if (given.isDir()) {
            for (const QFileInfo &entry : QDir(given.filePath()).entryInfoList(QDir::Files, QDir::Name))
                files << entry.filePath();
        } else {
            files << given.filePath();
        }
        for (const QString &path : files) {
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
                return 1;
            }
            const QByteArray bytes = file.readAll();
            std::fprintf(stderr, "%s\n", qPrintable(path));
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
            ++inputs;
        }
    }
    std::fprintf(stderr, "%d inputs replayed\n", inputs);
    return inputs > 0 ? 0 : 1;
}
