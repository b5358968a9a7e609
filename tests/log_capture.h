#pragma once

#include "common/zered_log.h"

#include <QStringList>

// Collects the log lines written while it is attached.
class LogCapture : public zered::LogTarget
{
public:
    struct Line { QString message; int colour; };
    QList<Line> lines;

    LogCapture() { zered::LogAttach(this); }
    ~LogCapture() override { zered::LogAttach(nullptr); }
    void appendLine(const QString &, const QString &message, int colour, bool) override
    {
        lines.append({message, colour});
    }
    int backgroundColour() const override { return 0xF0F0F0; }
    QStringList messages() const
    {
        QStringList all;
        for (const Line &l : lines)
            all.append(l.message);
        return all;
    }
};
