#include "window/form1.h"

#include "window/errors/procedure.h"
#include "window/look/product.h"

// "Help" points users whose numbers are buried in complex text at the extraction page.
void Form1::PushButton5_Click()
{
    Procedure proc(desktop_, QStringLiteral("in Tessaline2021/08/31.Form1.PushButton5_Click "));
    proc.step(100, [&] {
        MsgBox(QStringLiteral("Please use ") + QString::fromLatin1(kPhoneExtractorAddress)
               + QStringLiteral(" if you need to extract phones numbers from a complex text file. "
                                "You can use the results to load a list of phone numbers into "
                                "this software."));
    });
}
