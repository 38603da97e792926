#include "cli/pipelined_pass.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

// What the reader hands on, as the reader hands it.
struct Feeder final : LineSink {
    void bytesLine(std::string_view, qsizetype) override {}
    static void Feed(LineSink& to, std::string_view bytes, qsizetype length, LineEnd how)
    {
        handOn(to, bytes, length, how);
    }
};

struct Seen {
    std::string bytes;
    qsizetype length;
    LineSink::LineEnd how;
    bool operator==(const Seen&) const = default;
};

struct Boom {};

// A pass that notes every line it takes and writes it back, a very long text for a line that
// asks for one (so the worker must wait for its writes to be taken), and fails on "boom" and
// runs out of memory on "oom".
class Recorder final : public LineSink {
public:
    explicit Recorder(OutputTarget& out) : out_(out) {}
    void bytesLine(std::string_view bytes, qsizetype length) override
    {
        if (bytes == "boom")
            throw Boom{};
        if (bytes == "oom")
            throw std::bad_alloc();
        seen.push_back({std::string(bytes), length, lineEnd()});
        out_.write(bytes == "flood" ? std::string(1 << 20, 'f') : std::string(bytes) + '\n');
    }
    std::vector<Seen> seen;

private:
    OutputTarget& out_;
};

class Collected final : public OutputTarget {
public:
    void write(std::string_view bytes) override { text.append(bytes); }
    void finish() override { finished = true; }
    bool keepsPartial() const override { return true; }
    std::string text;
    bool finished = false;
};

// Small batches, so that many of their edges are crossed: by bytes, by lines, by a line longer
// than a batch, by output that outgrows what may wait.
constexpr PipelinedPass::Limits kSmall{64 << 10, 1000, 256 << 10};

// Mostly short lines, now and then one of a third of a batch up to more than a whole one, or
// one that floods the output.
std::string RandomLine(std::mt19937& random)
{
    const int kind = std::uniform_int_distribution<int>(0, 4999)(random);
    if (kind == 0)
        return "flood";
    std::size_t size = std::uniform_int_distribution<std::size_t>(0, 16)(random);
    if (kind < 4)
        size = std::uniform_int_distribution<std::size_t>(20'000, 100'000)(random);
    std::string line(size, '0');
    for (char& c : line)
        c = static_cast<char>('0' + random() % 10);
    return line;
}

// Random inputs of short lines, lines of a third of a batch up to more than a whole one,
// floods of output and failures, each fed as the reader feeds them; some inputs are abandoned
// half way, as a signal abandons them. The pass must see exactly the lines before each failure,
// in order with their lengths and line ends; the target must get exactly what the pass wrote,
// in order; each failure must come back once, in its own input.
TEST(PipelinedPass, HandsEveryLineOnInOrderAndEachFailureBackInItsInput)
{
    for (unsigned seed = 1; seed <= 50; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        Collected target;
        std::vector<Seen> expected;
        std::string expectedText;
        // Every other seed on this thread alone, as for a terminal: the same lines, bytes and
        // failures either way.
        const auto where =
            seed % 2 == 0 ? PipelinedPass::Where::SecondThread : PipelinedPass::Where::ThisThread;
        auto pipeline = std::make_unique<PipelinedPass>(target, where, kSmall);
        Recorder pass(pipeline->output());
        pipeline->start(pass);
        const int inputs = std::uniform_int_distribution<int>(1, 4)(random);
        bool abandoned = false;
        for (int input = 0; input < inputs && !abandoned; ++input) {
            const int lines = std::uniform_int_distribution<int>(0, 20'000)(random);
            abandoned = random() % 8 == 0;
            const int abandonAt =
                abandoned ? std::uniform_int_distribution<int>(0, lines)(random) : lines + 1;
            // No failure, one anywhere, or one among the last lines (told as the input ends).
            const int chance = static_cast<int>(random() % 4);
            const int failAt = chance == 0 ? std::uniform_int_distribution<int>(0, lines)(random)
                               : chance == 1
                                   ? std::max(0, lines - 1 - static_cast<int>(random() % 20))
                                   : -1;
            const std::string failure = random() % 2 == 0 ? "boom" : "oom";
            bool failed = false;
            int failures = 0;
            // A failure comes back once; running out of memory names the line in its input.
            const auto caught = [&](const auto& run) {
                try {
                    run();
                } catch (const Boom&) {
                    ++failures;
                } catch (const LineOutOfMemory& oom) {
                    ++failures;
                    EXPECT_EQ(oom.line, failAt + 1) << "input " << input;
                }
            };
            for (int k = 0; k < lines && failures == 0 && k < abandonAt; ++k) {
                const std::string line = k == failAt ? failure : RandomLine(random);
                const auto how = static_cast<LineSink::LineEnd>(random() % 4);
                const auto length =
                    static_cast<qsizetype>(line.size()) + static_cast<qsizetype>(random() % 3);
                failed = failed || k == failAt;
                if (!failed) {
                    expected.push_back({line, length, how});
                    expectedText += line == "flood" ? std::string(1 << 20, 'f') : line + '\n';
                }
                caught([&] { Feeder::Feed(*pipeline, line, length, how); });
            }
            if (abandoned)
                break;
            caught([&] { pipeline->endInput(); });
            ASSERT_EQ(failures, failed ? 1 : 0) << "input " << input;
        }
        if (abandoned) {
            // Stopped with work in hand: it ends, and the pass has seen only lines it was given,
            // in order.
            pipeline.reset();
            ASSERT_LE(pass.seen.size(), expected.size());
            ASSERT_TRUE(std::equal(pass.seen.begin(), pass.seen.end(), expected.begin()));
            continue;
        }
        pipeline->output().finish();
        EXPECT_TRUE(target.finished);
        ASSERT_EQ(pass.seen.size(), expected.size());
        EXPECT_TRUE(pass.seen == expected);
        EXPECT_TRUE(target.text == expectedText);
    }
}

}  // namespace
