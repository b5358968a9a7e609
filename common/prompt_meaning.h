#pragma once

#include <QString>

// The English meaning of a prompt built from the fixed Japanese texts, one
// line for each text found in it, in the order they stand; the numbers and
// names they hold are carried over. Empty when none of the texts is found.
QString PromptMeaning(const QString &prompt);

// True when the interface speaks Japanese, so a prompt needs no meaning below it.
bool InterfaceIsJapanese();
