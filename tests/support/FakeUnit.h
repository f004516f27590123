#pragma once
// A scripted unit on 127.0.0.1: answers each query with the next queued bytes.

#include <QQueue>
#include <QTcpServer>

class FakeUnit : public QTcpServer {
public:
    QQueue<QByteArray> answers;
    int queries = 0;

    FakeUnit();
};
