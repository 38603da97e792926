#include "window/form1.h"

#include "files/file_system.h"
#include "window/errors/procedure.h"
#include "window/look/app_icon.h"
#include "window/look/application_title.h"
#include "window/look/product.h"

#include <QPixmap>

namespace {

// A .cur file keeps the pointer's hot spot where an .ico keeps its colour planes and depth.
QPoint CursorHotSpot(const QByteArray& bytes)
{
    const auto word = [&bytes](int at) {
        return static_cast<int>(static_cast<unsigned char>(bytes[at]))
               | (static_cast<int>(static_cast<unsigned char>(bytes[at + 1])) << 8);
    };
    if (bytes.size() < 14 || word(2) != 2)
        return {-1, -1};
    return {word(10), word(12)};
}

QCursor LoadCursorFile(const QString& path)
{
    const QByteArray bytes = ReadWholeFile(path);
    QPixmap image;
    if (!image.loadFromData(bytes))
        throw AppError(ErrorCode::InvalidPicture);
    const QPoint hotSpot = CursorHotSpot(bytes);
    return QCursor(image, hotSpot.x(), hotSpot.y());
}

}  // namespace

void Form1::Form_Load()
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.Form_Load "));
    proc.step(100, [&] { LoadSkin(); });
    bool hasHand = false;
    proc.step(
        104, [&] { hasHand = FileExists(JoinPath(programFolder_, QStringLiteral("HAND-M.CUR"))); });
    if (hasHand)
        proc.step(106, [&] {
            handCursor_ = LoadCursorFile(JoinPath(programFolder_, QStringLiteral("HAND-M.CUR")));
        });
    proc.step(108, [&] { VisitHomePageAtRandom(); });
    proc.step(126, [&] {
        setWindowTitle(QString::fromUtf16(kProductName));
        setWindowIcon(AppIcon());
        applicationTitle_ = MakeApplicationTitle(QString::fromUtf16(kProductName));
    });
    proc.step(128, [&] { ListView1->addColumn(QStringLiteral("Phone Number(s)")); });
    proc.step(130, [&] { ListView1->setColumnWidthTwips(0, 7000); });
    proc.step(132,
              [&] { ListView2->addColumn(QStringLiteral("If length of phone number is this")); });
    proc.step(134, [&] { ListView2->addColumn(QStringLiteral("then format like this")); });
    proc.step(136, [&] { ListView2->setColumnWidthTwips(0, 3000); });
    proc.step(138, [&] { ListView2->setColumnWidthTwips(1, 4000); });
    proc.step(140, [&] { ListView3->addColumn(QStringLiteral("Result(s)")); });
    proc.step(142, [&] { ListView3->setColumnWidthTwips(0, 7000); });
}

void Form1::LoadSkin()
{
    const QString skinFile =
        JoinPath(JoinPath(programFolder_, QStringLiteral("x")), QStringLiteral("o.cjs"));
    if (!FileExists(skinFile))
        return;
    // The skin is a Qt style sheet. The window takes the button-face colour first, and keeps
    // it when the sheet then cannot be read (the failure is start-up's to report).
    QPalette skinned = palette();
    skinned.setColor(QPalette::Window, skinned.color(QPalette::Button));
    setPalette(skinned);
    setStyleSheet(QString::fromUtf8(ReadWholeFile(skinFile)));
}

void Form1::VisitHomePageAtRandom()
{
    desktop_.seedRandom(static_cast<unsigned>(desktop_.secondsSinceMidnight()));
    const int n = static_cast<int>(desktop_.randomFraction() * 100) + 1;
    if (n == 7)
        desktop_.openUrl(QUrl(QString::fromLatin1(kHomePageAddress)));
}
