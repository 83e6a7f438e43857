// Tests of the effect sequencer: spans, push limits, order and clock arithmetic.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/headless_window.h"
#include "platform/gl.h"
#include "timeline/effect.h"
#include "timeline/effect_sequencer.h"

namespace {

// Records every call it receives into a shared journal.
class RecordingEffect : public Effect {
public:
    RecordingEffect(std::string name, std::vector<std::string>* journal, int initResult = 1)
        : name_(std::move(name)), journal_(journal), initResult_(initResult) {}
    int Render(int elapsed, int start) override {
        journal_->push_back(name_ + " render " + std::to_string(elapsed) + " " +
                            std::to_string(start));
        return 1;
    }
    int Init() override {
        journal_->push_back(name_ + " init");
        return initResult_;
    }

private:
    std::string name_;
    std::vector<std::string>* journal_;
    int initResult_;
};

// Fills the whole frame with one colour whenever it is rendered.
class FillingEffect : public Effect {
public:
    int Render(int, int) override {
        glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        return 1;
    }
    int Init() override { return 1; }
};

EffectSequencer EmptySequencer() {
    EffectSequencer sequencer{};
    sequencer.Clear();
    return sequencer;
}

class SequencerOnScreen : public GlWindowTest {};

}  // namespace

TEST(Sequencer, SpanStartRendersAndSpanEndDoesNot) {
    std::vector<std::string> journal;
    RecordingEffect effect("a", &journal);
    EffectSequencer sequencer = EmptySequencer();
    sequencer.startTime = 1000;
    ASSERT_EQ(1, sequencer.Push(&effect, 100, 200));
    journal.clear();

    struct Case {
        std::uint32_t now;
        bool renders;
    } cases[] = {{1099, false}, {1100, true}, {1199, true}, {1200, false},
                 {999, false},  {0, false},   {1150, true}};
    for (const Case& c : cases) {
        journal.clear();
        EXPECT_EQ(1, sequencer.RenderFrame(c.now));
        EXPECT_EQ(c.renders ? 1u : 0u, journal.size()) << "now " << c.now;
    }
    journal.clear();
    sequencer.RenderFrame(1100);
    EXPECT_EQ("a render 100 100", journal.at(0));
}

TEST(Sequencer, NegativeElapsedRendersNothingEvenFromZero) {
    std::vector<std::string> journal;
    RecordingEffect effect("a", &journal);
    EffectSequencer sequencer = EmptySequencer();
    sequencer.startTime = 5000;
    sequencer.Push(&effect, 0, 500000);
    journal.clear();
    sequencer.RenderFrame(4999);
    EXPECT_TRUE(journal.empty());
    sequencer.RenderFrame(5000);
    EXPECT_EQ(1u, journal.size());
}

TEST(Sequencer, HundredFirstPushIsRefusedWithoutInit) {
    std::vector<std::string> journal;
    std::vector<RecordingEffect> effects;
    effects.reserve(101);
    for (int i = 0; i < 101; ++i) effects.emplace_back("e" + std::to_string(i), &journal);
    EffectSequencer sequencer = EmptySequencer();
    for (int i = 0; i < 100; ++i) ASSERT_EQ(1, sequencer.Push(&effects[i], i, i + 1));
    journal.clear();
    EXPECT_EQ(0, sequencer.Push(&effects[100], 0, 10));
    EXPECT_TRUE(journal.empty());
    EXPECT_EQ(100, sequencer.effectCount);
    EXPECT_EQ(&effects[99], sequencer.effects[99]);
    EXPECT_EQ(99, sequencer.starts[99]);
    EXPECT_EQ(100, sequencer.ends[99]);
}

// The sequencer draws nothing of its own: empty, whether new or cleared of an effect that
// draws, it leaves the frame as it was.
TEST_F(SequencerOnScreen, EmptySequencerLeavesTheFrameAsItWas) {
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    int width = 0, height = 0;
    const std::vector<std::uint8_t> before = headless::ReadPixels(&width, &height);
    ASSERT_FALSE(before.empty());

    FillingEffect filling;
    EffectSequencer cleared = EmptySequencer();
    cleared.startTime = 0;
    ASSERT_EQ(1, cleared.Push(&filling, 0, 1000));
    cleared.Clear();
    EffectSequencer fresh = EmptySequencer();
    fresh.startTime = 0;
    for (EffectSequencer* sequencer : {&fresh, &cleared}) {
        EXPECT_EQ(1, sequencer->RenderFrame(123));
        EXPECT_EQ(0, sequencer->effectCount);
        EXPECT_TRUE(before == headless::ReadPixels(&width, &height)) << "the frame was drawn over";
    }
}

TEST(Sequencer, OverlappingSpansRenderInPushOrder) {
    std::vector<std::string> journal;
    RecordingEffect first("first", &journal);
    RecordingEffect second("second", &journal);
    EffectSequencer sequencer = EmptySequencer();
    sequencer.startTime = 0;
    sequencer.Push(&second, 50, 150);
    sequencer.Push(&first, 0, 100);
    journal.clear();
    sequencer.RenderFrame(75);
    ASSERT_EQ(2u, journal.size());
    EXPECT_EQ("second render 75 50", journal[0]);
    EXPECT_EQ("first render 75 0", journal[1]);
}

TEST(Sequencer, EmptySpanInitsButNeverRenders) {
    std::vector<std::string> journal;
    RecordingEffect backwards("backwards", &journal);
    RecordingEffect empty("empty", &journal);
    EffectSequencer sequencer = EmptySequencer();
    sequencer.startTime = 0;
    sequencer.Push(&backwards, 200, 100);
    sequencer.Push(&empty, 100, 100);
    EXPECT_EQ((std::vector<std::string>{"backwards init", "empty init"}), journal);
    journal.clear();
    for (std::uint32_t now : {0u, 99u, 100u, 150u, 200u, 250u}) sequencer.RenderFrame(now);
    EXPECT_TRUE(journal.empty());
}

TEST(Sequencer, EffectWhoseInitFailsStillRenders) {
    std::vector<std::string> journal;
    RecordingEffect failing("failing", &journal, 0);
    EffectSequencer sequencer = EmptySequencer();
    sequencer.startTime = 0;
    EXPECT_EQ(1, sequencer.Push(&failing, 0, 100));
    sequencer.RenderFrame(10);
    EXPECT_EQ((std::vector<std::string>{"failing init", "failing render 10 0"}), journal);
}

TEST(Sequencer, ClockWrapKeepsElapsedContinuous) {
    std::vector<std::string> journal;
    RecordingEffect effect("a", &journal);
    EffectSequencer sequencer = EmptySequencer();
    sequencer.startTime = 0xFFFFFF00u;
    sequencer.Push(&effect, 0, 500000);
    journal.clear();
    sequencer.RenderFrame(0xFFFFFFFFu);
    sequencer.RenderFrame(0x00000010u);
    ASSERT_EQ(2u, journal.size());
    EXPECT_EQ("a render 255 0", journal[0]);
    EXPECT_EQ("a render 272 0", journal[1]);
}

TEST(Sequencer, NullEffectIsRefused) {
    EffectSequencer sequencer = EmptySequencer();
    EXPECT_EQ(0, sequencer.Push(nullptr, 0, 10));
    EXPECT_EQ(0, sequencer.effectCount);
}
