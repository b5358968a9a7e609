#include "common/zered_locale.h"

#include "common/messages.h"
#include "common/zered_lang.h"
#include "common/zered_log.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>

namespace {

void ApplyCaption(QObject *component, const QString &name, const QString &caption)
{
    if (auto *label = qobject_cast<QLabel *>(component)) {
        label->setText(caption);
    } else if (auto *button = qobject_cast<QAbstractButton *>(component)) {
        button->setText(caption);
    } else if (auto *menu = qobject_cast<QMenu *>(component)) {
        menu->setTitle(caption);
    } else if (auto *action = qobject_cast<QAction *>(component)) {
        action->setText(caption);   // linked menu items follow the action
    } else if (auto *box = qobject_cast<QGroupBox *>(component)) {
        box->setTitle(caption);
    } else if (auto *widget = qobject_cast<QWidget *>(component);
               widget && (widget->isWindow() || qobject_cast<QMainWindow *>(widget) || qobject_cast<QDialog *>(widget))) {
        widget->setWindowTitle(caption);   // a form; a document frame shows its widget's title
    } else {
        zered::LogPrint(zered::clMagenta, Msg::LocaleNotSupported, qUtf8Printable(name));
    }
}

void ApplyHint(QObject *component, const QString &hint)
{
    if (auto *menu = qobject_cast<QMenu *>(component)) {
        menu->setStatusTip(hint);
        menu->menuAction()->setStatusTip(hint);   // what the menu bar shows on hover
    } else if (auto *widget = qobject_cast<QWidget *>(component)) {
        widget->setStatusTip(hint);
    } else if (auto *action = qobject_cast<QAction *>(component)) {
        action->setStatusTip(hint);
    }
}

void ApplyComboLines(const TZeredLang &lang, QComboBox *combo, const QString &name)
{
    QString value;
    if (lang.Find(name + QLatin1String(".Items0"), value)) {
        const int selected = combo->currentIndex();
        combo->clear();
        for (int i = 0; lang.Find(name + QLatin1String(".Items") + QString::number(i), value); ++i)
            combo->addItem(value);
        combo->setCurrentIndex(selected);
    }
    if (lang.Find(name + QLatin1String(".Text"), value)) {
        if (combo->isEditable())
            combo->setEditText(value);
        else
            combo->setCurrentText(value);
    }
}

} // namespace

void ApplyLocale(const TZeredLang &lang, QObject *component)
{
    const QString name = component->objectName();
    QString value;
    if (!name.isEmpty()) {
        if (lang.Find(name + QLatin1String(".Caption"), value))
            ApplyCaption(component, name, value);
        if (lang.Find(name + QLatin1String(".Hint"), value))
            ApplyHint(component, value.replace(QLatin1String("#13#10"), QLatin1String("\r\n")));
        if (auto *combo = qobject_cast<QComboBox *>(component))
            ApplyComboLines(lang, combo, name);
    }
    // A copy: applying a line must not disturb the walk over what is owned.
    const QObjectList owned = component->children();
    for (QObject *child : owned)
        ApplyLocale(lang, child);
}

void ApplyLocale(QObject *component)
{
    if (ZeredLang)
        ApplyLocale(*ZeredLang, component);
}
