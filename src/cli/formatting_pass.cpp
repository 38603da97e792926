#include "cli/formatting_pass.h"

#include "files/result_writer.h"

void FormattingPass::bytesLine(std::string_view text, qsizetype length)
{
    const std::string_view asWritten = text;
    if (cleaning_.active() && !cleaning_.take(text, length))
        return;
    if (format_.hasCountryRules()) {
        writer_.add(format_.apply(text, length, scratch_, asWritten));
        return;
    }
    const NumberFormat::Pattern* pattern = format_.patternFor(text, length);
    if (pattern == nullptr) {
        writer_.add(text);
        return;
    }
    // Laid straight into the writer's buffer, which has room for what the layer scribbles.
    static_assert(ResultWriter::kSlack >= LaidPattern::kSlack);
    char* at = writer_.beginResult(pattern->laidSize(text));
    writer_.endResult(pattern->layInto(at, text));
}
