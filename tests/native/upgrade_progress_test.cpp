// The copy progress callback's decisions: bar messages by reason, then a text refresh.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "upgrade/copy_progress.h"

namespace {

// Records the callback's effects as text, in order: "range 0..N", "pos N", "text".
class RecordingView final : public CopyProgressView {
public:
    void SendBar(uint32_t message, uint32_t wParam, uint32_t lParam) override {
        if (message == kPbmSetRange32)
            effects.push_back("range " + std::to_string(wParam) + ".." + std::to_string(lParam));
        else if (message == kPbmSetPos)
            effects.push_back("pos " + std::to_string(wParam) + (lParam ? " lParam!" : ""));
        else
            effects.push_back("message " + std::to_string(message));
    }
    void RefreshFileText() override { effects.push_back("text"); }
    std::vector<std::string> effects;
};

constexpr uint64_t kGiB = 1ull << 30;

TEST(CopyProgress, EachReasonGivesItsBarMessagesThenTheText) {
    struct Row {
        const char *name;
        uint32_t reason;
        uint64_t total;
        uint64_t done;
        std::vector<std::string> effects;
    };
    // clang-format off
    const Row rows[] = {
        {"new stream: range = file size, position 0", kCallbackStreamSwitch, 1234, 0, {"range 0..1234", "pos 0", "text"}},
        {"new stream ignores bytes already done", kCallbackStreamSwitch, 1234, 999, {"range 0..1234", "pos 0", "text"}},
        {"piece finished: position = bytes so far", kCallbackChunkFinished, 1234, 512, {"pos 512", "text"}},
        {"last piece: position = size", kCallbackChunkFinished, 1234, 1234, {"pos 1234", "text"}},
        {"empty file", kCallbackStreamSwitch, 0, 0, {"range 0..0", "pos 0", "text"}},
        // 5
        {"4 GiB + 5: low 32 bits of the size", kCallbackStreamSwitch, 4 * kGiB + 5, 0, {"range 0..5", "pos 0", "text"}},
        {"8 GiB + 7 copied: low 32 bits of the count", kCallbackChunkFinished, 16 * kGiB, 8 * kGiB + 7, {"pos 7", "text"}},
        {"6 GiB copied: 0x80000000", kCallbackChunkFinished, 16 * kGiB, 6 * kGiB, {"pos 2147483648", "text"}},
        {"size just below 4 GiB", kCallbackStreamSwitch, 4 * kGiB - 1, 0, {"range 0..4294967295", "pos 0", "text"}},
        {"unknown reason 2: text only", 2, 1234, 100, {"text"}},
        {"unknown reason 0xFFFFFFFF: text only", 0xFFFFFFFFu, 1234, 100, {"text"}},
    };
    // clang-format on
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        RecordingView view;
        EXPECT_EQ(kProgressContinue, ReportCopyProgress(view, row.reason, row.total, row.done));
        EXPECT_EQ(row.effects, view.effects);
    }
}

TEST(CopyProgress, OneStreamRunsTheBarFromEmptyToFull) {
    // A copy of a 10000-byte file in pieces of 4096, as the platform reports it.
    const uint64_t size = 10000;
    RecordingView view;
    ReportCopyProgress(view, kCallbackStreamSwitch, size, 0);
    for (uint64_t done = 0; done < size;) {
        done = done + 4096 < size ? done + 4096 : size;
        ReportCopyProgress(view, kCallbackChunkFinished, size, done);
    }
    const std::vector<std::string> expected = {"range 0..10000", "pos 0", "text",      "pos 4096", "text",
                                               "pos 8192",       "text",  "pos 10000", "text"};
    EXPECT_EQ(expected, view.effects);
}

} // namespace
