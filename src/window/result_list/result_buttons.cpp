#include "window/form1.h"

#include "window/errors/procedure.h"
#include "window/result_list/clipboard.h"
#include "window/result_list/overwrite_question.h"
#include "window/result_list/save_comma.h"
#include "window/result_list/save_list.h"

QString Form1::ShowSaveDialog()
{
    FileDialogSettings settings;
    settings.title = QStringLiteral("Save");
    settings.filter = QStringLiteral("Text Files (*.txt)|*.txt|All Files (*.*)|*.*|");
    settings.fileName = dialogFileName_;
    QString chosen = desktop_.saveFileDialog(settings);
    if (!chosen.isEmpty())
        dialogFileName_ = chosen;
    return chosen;
}

// "Save As Comma Delimited": the result list, one result per line, commas between them.
void Form1::PushButton2_Click()
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton2_Click "));
    QString fileName;
    proc.step(114, [&] { fileName = ShowSaveDialog(); });  // 108 to 116
    if (fileName.isEmpty())                                // 118
        return;
    proc.step(120, [&] { setPointer(Pointer::Hourglass); });
    proc.step(122, [&] {
        Pacer pacer = MakePacer(true);
        SaveComma::SaveListviewAsCommaDelimToFile(desktop_, pacer, applicationTitle_,
                                                  ListView3->items(), fileName);
    });
    proc.step(124, [&] { setPointer(Pointer::Arrow); });
}

// "Save Results As Text File": the rule list, as column-aligned text.
void Form1::PushButton6_Click()
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton6_Click "));
    QString fileName;
    proc.step(112, [&] { fileName = ShowSaveDialog(); });  // 106 to 114
    if (fileName.isEmpty())                                // 116
        return;
    bool replace = false;
    proc.step(120, [&] {  // 118 to 122
        replace = ConfirmOverwrite(desktop_, applicationTitle_, fileName);
    });
    if (!replace)  // 124
        return;
    proc.step(126, [&] { setPointer(Pointer::Hourglass); });
    proc.step(128, [&] {
        Pacer pacer = MakePacer(true);
        SaveList::SaveListviewProperlySpaced(desktop_, pacer, ListView2->items(), fileName);
    });
    proc.step(130, [&] { setPointer(Pointer::Arrow); });
}

// "Copy Results To Clipboard". A copy that did not reach the clipboard whole (the clipboard
// was never free, or the results it counted were cleared under it) is never confirmed.
void Form1::PushButton8_Click()
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton8_Click "));
    Main::CopyOutcome outcome = Main::CopyOutcome::ClipboardRefused;
    proc.step(106, [&] {
        Pacer pacer = MakePacer(false);
        outcome = Main::CopyListToClipboard(desktop_, pacer, ListView3->items());
    });
    proc.step(108, [&] {
        if (outcome == Main::CopyOutcome::ClipboardRefused)
            MsgBox(QStringLiteral("Results have not been copied to the clipboard.\r\r"
                                  "The clipboard is in use by another program or the results "
                                  "could not be read. Please try again."));
        else
            MsgBox(QStringLiteral("Results have been copied to the clipboard.\r\r"
                                  "Click a text area where you normally type and press Ctrl+V "
                                  "to paste the clipboard."));
    });
}

// "Clear List" under the result list; it holds back while a run appends to the list, whose
// results would otherwise end misaligned with the phone list and be confirmed as whole.
void Form1::PushButton9_Click()
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton9_Click "));
    proc.step(100, [&] {
        if (!FormattingBusy)
            ClearList(*ListView3);
    });
}
