#include "core/app_error.h"
#include "support/locations.h"
#include "support/scripted_desktop.h"
#include "window/errors/error_report.h"
#include "window/errors/procedure.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(ErrorReport, TextIsByteExact)
{
    EXPECT_EQ(ErrorReportText(QStringLiteral("Overflow"), kRunClick, 116),
              QStringLiteral("Overflow\r\nin Tessaline2021/08/31.Form1.PushButton7_Click at line "
                             "116\r\rPlease email screenshot of this message to "
                             "support@dialwright.example"));
}

TEST(ErrorReport, IsAWarningTitledApplicationError)
{
    ScriptedDesktop desktop;
    desktop.expectMessage(ErrorReportText(QStringLiteral("Disk full"), kRunClick, 104),
                          QStringLiteral("Application Error"), MsgIcon::Warning, MsgButtons::Ok);
    ShowErrorReport(desktop, QStringLiteral("Disk full"), kRunClick, 104);
}

TEST(Procedure, ReportsAFailureAndCarriesOnWithTheNextStep)
{
    ScriptedDesktop desktop;
    desktop.expectErrorReport(QStringLiteral("Type mismatch"), kRunClick, 102);
    Procedure proc(desktop, kRunClick);
    std::vector<int> ran;
    EXPECT_TRUE(proc.step(100, [&] { ran.push_back(100); }));
    EXPECT_FALSE(proc.step(102, [&] { throw AppError(ErrorCode::TypeMismatch); }));
    EXPECT_TRUE(proc.step(104, [&] { ran.push_back(104); }));
    EXPECT_EQ(ran, (std::vector<int>{100, 104}));
}

TEST(Procedure, AFailureInACalledRoutineAbandonsThatRoutine)
{
    ScriptedDesktop desktop;
    desktop.expectErrorReport(QStringLiteral("File not found"), kRunClick, 106);
    Procedure proc(desktop, kRunClick);
    bool routineFinished = false;
    const auto routine = [&] {
        throw AppError(ErrorCode::FileNotFound);
        routineFinished = true;
    };
    proc.step(106, routine);
    bool after = false;
    proc.step(108, [&] { after = true; });
    EXPECT_FALSE(routineFinished);
    EXPECT_TRUE(after);
}

TEST(Procedure, TwoDifferentFailuresGiveTwoBoxesInOrder)
{
    ScriptedDesktop desktop;
    desktop.expectErrorReport(QStringLiteral("Overflow"), kRunClick, 116);
    desktop.expectErrorReport(QStringLiteral("Overflow"), kRunClick, 118);
    desktop.expectErrorReport(QStringLiteral("Type mismatch"), kRunClick, 116);
    Procedure proc(desktop, kRunClick);
    proc.step(116, [] { throw AppError(ErrorCode::Overflow); });
    proc.step(118, [] { throw AppError(ErrorCode::Overflow); });
    proc.step(116, [] { throw AppError(ErrorCode::TypeMismatch); });
    EXPECT_EQ(desktop.shown().size(), 3u);
}

TEST(Procedure, AnIdenticalFailureIsShownOncePerRun)
{
    ScriptedDesktop desktop;
    desktop.expectErrorReport(QStringLiteral("Type mismatch"), kRunClick, 116);
    {
        Procedure proc(desktop, kRunClick);
        for (int row = 0; row < 1000; ++row)
            proc.step(116, [] { throw AppError(ErrorCode::TypeMismatch); });
        proc.report(116, QStringLiteral("Type mismatch"));
    }
    EXPECT_EQ(desktop.shown().size(), 1u);
    // A new run of the procedure reports it again.
    desktop.expectErrorReport(QStringLiteral("Type mismatch"), kRunClick, 116);
    Procedure nextRun(desktop, kRunClick);
    nextRun.step(116, [] { throw AppError(ErrorCode::TypeMismatch); });
    EXPECT_EQ(desktop.shown().size(), 2u);
}

TEST(Procedure, OutOfMemoryAndForeignExceptionsAreReportedToo)
{
    ScriptedDesktop desktop;
    desktop.expectErrorReport(QStringLiteral("Out of memory"), kRunClick, 100);
    desktop.expectErrorReport(QStringLiteral("Invalid procedure call or argument"), kRunClick, 102);
    Procedure proc(desktop, kRunClick);
    proc.step(100, [] { throw std::bad_alloc(); });
    proc.step(102, [] { throw std::out_of_range("x"); });
}

TEST(AppError, MapsErrnoToTheClassicDescriptions)
{
    const std::pair<int, const char*> cases[] = {{ENOENT, "File not found"},
                                                 {ENOTDIR, "Path not found"},
                                                 {EACCES, "Permission denied"},
                                                 {EPERM, "Permission denied"},
                                                 {EROFS, "Permission denied"},
                                                 {ENOSPC, "Disk full"},
                                                 {EFBIG, "Disk full"},
                                                 {EISDIR, "Path/File access error"},
                                                 {ENAMETOOLONG, "Bad file name or number"},
                                                 {EIO, "Device I/O error"},
                                                 {EEXIST, "File already exists"}};
    for (const auto& [code, text] : cases)
        EXPECT_EQ(AppError::fromErrno(code).description(), QString::fromLatin1(text)) << code;
}

}  // namespace
