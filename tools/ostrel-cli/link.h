#pragma once

#include <QStringList>

// ostrel-cli recv [--port P] [--baud B] [--to text|binary|sheet] OUT
void RunRecv(const QStringList &args);
// ostrel-cli send [--port P] [--baud B] [--from auto|text|binary|sheet] [--verify] IN
void RunSend(const QStringList &args);
// ostrel-cli ports: the port selector's list, one entry a line.
void RunPorts(const QStringList &args);
