#include "batch/result_writer.h"

namespace {

constexpr std::size_t kBlockBytes = std::size_t(1) << 18;

}  // namespace

ResultWriter::ResultWriter(Form form, OutputTarget& target) : form_(form), target_(target)
{
    buffer_.reserve(kBlockBytes + 4096);
}

void ResultWriter::add(std::string_view result)
{
    if (form_ == Form::Lines) {
        buffer_ += result;
        buffer_ += '\n';
    } else {
        // Whether a line takes its comma is known once the next result comes.
        if (any_)
            buffer_ += ",\r\n";
        buffer_ += result;
    }
    any_ = true;
    flushIfFull();
}

void ResultWriter::flushIfFull()
{
    if (buffer_.size() < kBlockBytes)
        return;
    target_.write(buffer_);
    buffer_.clear();
}

void ResultWriter::finish()
{
    if (form_ == Form::CommaDelimited && any_)
        buffer_ += "\r\n";
    if (!buffer_.empty())
        target_.write(buffer_);
    buffer_.clear();
    target_.finish();
}
