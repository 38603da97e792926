#include "bench_data.h"

#include <QFile>

#include <random>

std::vector<QString> MakePhoneTexts(size_t count)
{
    std::mt19937 random(20211);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> kind(0, 9);
    std::vector<QString> texts;
    texts.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const int k = kind(random);
        QString text;
        if (k < 9) {
            const int length = k < 7 ? 10 : 7;
            text.resize(length);
            for (int j = 0; j < length; ++j)
                text[j] = QChar(u'0' + digit(random));
        } else {
            text = QStringLiteral("(603) 434-") + QString::number(1000 + digit(random) * 111);
        }
        texts.push_back(text);
    }
    return texts;
}

void WritePhoneFile(const QString& path, size_t count)
{
    QByteArray bytes;
    for (const QString& text : MakePhoneTexts(count))
        bytes += text.toUtf8() + "\r\n";
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::abort();
}
