#pragma once
// Whole files as bytes, and GBK texts, for tests of files the program writes.
#include "engine/GbkText.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QtTest>

inline QByteArray gbk(const QString &text)
{
    return GbkText::encode(text);
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void putFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}
