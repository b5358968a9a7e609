#pragma once

#include <QStringList>

// ostrel-cli recv [--port P] [--baud B] [--to text|binary|sheet] OUT
void RunRecv(const QStringList &args);
// ostrel-cli send [--port P]... [--baud B] [--from auto|text|binary|sheet] [--backup DIR] [--verify] IN
// (several --port: all at once, each line after its port's name, backups in a folder a port)
void RunSend(const QStringList &args);
// ostrel-cli diff A B [--port P] [--baud B]: A and B are table files or
// "controller"; prints the fields that differ and raises DifferencesFound.
void RunDiff(const QStringList &args);
struct DifferencesFound
{
};
// ostrel-cli ports: the port selector's list, one entry a line.
void RunPorts(const QStringList &args);
