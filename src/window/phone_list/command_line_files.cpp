#include "files/file_system.h"
#include "window/command_line.h"
#include "window/errors/procedure.h"
#include "window/form1.h"

// Files named on the command line load as a selection of several files in the open dialog
// does, under the same report. A name that cannot be found is kept rather than reported on the
// spot: a glob gone wrong can name thousands, and one box for each would never end.
QList<MissingFile> Form1::LoadPhoneNumberFiles(const QList<QByteArray>& names)
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton3_Click "));
    QList<MissingFile> missing;
    ListHistory::Appending appending(history_, ListView1->items());
    proc.step(114, [&] { setPointer(Pointer::Hourglass); });
    for (const QByteArray& name : names)
        proc.step(134, [&] {
            if (const int error = FileLookupError(name)) {
                missing.append({name, error});
                return;
            }
            AppendLinesOfFile(*ListView1, name);
        });
    proc.step(138, [&] { setPointer(Pointer::Default); });
    appending.record();
    return missing;
}

void Form1::ReportMissingFiles(const QList<MissingFile>& missing)
{
    if (!missing.isEmpty())
        MsgBox(MissingFilesMessage(missing));
}
