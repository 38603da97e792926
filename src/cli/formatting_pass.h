#pragma once

#include "core/number_format.h"
#include "files/line_reader.h"
#include "files/text_cleaning.h"

class ResultWriter;

// The formatting run over phone items as they stream past: each is cleaned as asked (--tidy,
// --unique), laid out by the first rule that fits it (for length rules alone: the first whose
// length equals its length) or passed on unchanged, and handed to the writer.
class FormattingPass final : public LineSink {
public:
    FormattingPass(const NumberFormat& format, TextCleaning& cleaning, ResultWriter& writer)
        : format_(format), cleaning_(cleaning), writer_(writer)
    {
    }

    void bytesLine(std::string_view text, qsizetype length) override;

private:
    const NumberFormat& format_;
    TextCleaning& cleaning_;
    ResultWriter& writer_;
    std::string scratch_;
};
