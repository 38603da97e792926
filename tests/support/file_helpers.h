#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

inline QByteArray ReadBytes(const QString& path)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    return file.readAll();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// The text as UTF-16 behind its byte-order mark, as Windows programs save "Unicode text".
inline QByteArray Utf16(const QString& text, bool bigEndian)
{
    QByteArray bytes(bigEndian ? "\xfe\xff" : "\xff\xfe");
    for (const QChar c : text) {
        const auto high = static_cast<char>(c.unicode() >> 8);
        const auto low = static_cast<char>(c.unicode() & 0xff);
        bytes.append(bigEndian ? high : low).append(bigEndian ? low : high);
    }
    return bytes;
}
