#include "bench_data.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
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

namespace {

// Lays ten-digit lines into xxx-xxx-xxxx and seven-digit lines into xxx/xxxx, copies the rest,
// and writes the comma-delimited form: a comma after every line but the last, CR LF line ends.
const char* const kAwkProgram = R"(
BEGIN { RS = "\r\n" }
{
    s = $0
    if ($0 ~ /^[0-9]+$/) {
        if (length($0) == 10) s = substr($0, 1, 3) "-" substr($0, 4, 3) "-" substr($0, 7)
        else if (length($0) == 7) s = substr($0, 1, 3) "/" substr($0, 4)
    }
    if (NR > 1) printf "%s,\r\n", previous
    previous = s
}
END { if (NR > 0) printf "%s\r\n", previous }
)";

}  // namespace

const char* AwkProgram()
{
    return kAwkProgram;
}

double AwkMilliseconds(const QString& input, const QString& output)
{
    QElapsedTimer clock;
    clock.start();
    QProcess awk;
    awk.setStandardInputFile(input);
    awk.setStandardOutputFile(output);
    awk.start(QStringLiteral("awk"), {QString::fromLatin1(kAwkProgram)});
    if (!awk.waitForFinished(600'000) || awk.exitCode() != 0)
        std::abort();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double Milliseconds(const QElapsedTimer& clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double Seconds(const QElapsedTimer& clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e9;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
