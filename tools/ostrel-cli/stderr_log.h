#pragma once

#include "common/zered_log.h"

// The log of the command-line tool: each message on its own line on stderr,
// without time stamp or colour.
class StderrLog : public zered::LogTarget
{
public:
    void appendLine(const QString &stamp, const QString &message, int colour, bool bold) override;
    int backgroundColour() const override { return zered::clWhite; }
};
