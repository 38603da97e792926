#include "bench_data.h"

#include <QFile>

#include <random>

namespace {

// One phone text of the mix, drawn from the generator.
class PhoneTexts {
public:
    QString next()
    {
        const int k = kind_(random_);
        QString text;
        if (k < 9) {
            const int length = k < 7 ? 10 : 7;
            text.resize(length);
            for (int j = 0; j < length; ++j)
                text[j] = QChar(u'0' + digit_(random_));
        } else {
            text = QStringLiteral("(603) 434-") + QString::number(1000 + digit_(random_) * 111);
        }
        return text;
    }

private:
    std::mt19937 random_{20211};
    std::uniform_int_distribution<int> digit_{0, 9};
    std::uniform_int_distribution<int> kind_{0, 9};
};

}  // namespace

std::vector<QString> MakePhoneTexts(size_t count)
{
    PhoneTexts phones;
    std::vector<QString> texts;
    texts.reserve(count);
    for (size_t i = 0; i < count; ++i)
        texts.push_back(phones.next());
    return texts;
}

void WritePhoneFile(const QString& path, size_t count)
{
    // Written in pieces, so ten million lines cost no more memory than a million.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        std::abort();
    PhoneTexts phones;
    QByteArray bytes;
    for (size_t i = 0; i < count; ++i) {
        bytes += phones.next().toLatin1() + "\r\n";
        if (bytes.size() > (1 << 20) || i + 1 == count) {
            if (file.write(bytes) != bytes.size())
                std::abort();
            bytes.clear();
        }
    }
}
