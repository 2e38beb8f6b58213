#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "fakes/form_fixture.h"
#include "ui/cue_waves.h"

namespace zelt::testing {
namespace {

std::uint32_t field(const std::vector<std::uint8_t>& wave, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | wave.at(at + static_cast<std::size_t>(i));
    return value;
}

// Sign changes of the samples in [from, to): twice the tone's frequency times its length.
int crossings(const std::vector<std::uint8_t>& wave, std::size_t from, std::size_t to) {
    int count = 0;
    bool negative = false;
    for (std::size_t i = from; i < to; ++i) {
        const auto sample = static_cast<std::int16_t>(field(wave, 44 + 2 * i, 2));
        if (sample == 0) continue;
        if (i > from && (sample < 0) != negative) ++count;
        negative = sample < 0;
    }
    return count;
}

TEST(CueWaves, AreShortMonoPcmFilesOneRisingAndOneFalling) {
    const auto up = cue_waves::transmitting();
    const auto down = cue_waves::receiving();
    constexpr std::size_t samples = cue_waves::kSampleRate * 2 * cue_waves::kToneMilliseconds / 1000;
    for (const auto* wave : {&up, &down}) {
        ASSERT_EQ(wave->size(), 44 + 2 * samples);
        EXPECT_EQ(std::memcmp(wave->data(), "RIFF", 4), 0);
        EXPECT_EQ(field(*wave, 4, 4), wave->size() - 8);
        EXPECT_EQ(std::memcmp(wave->data() + 8, "WAVEfmt ", 8), 0);
        EXPECT_EQ(field(*wave, 16, 4), 16U);                         // PCM format block
        EXPECT_EQ(field(*wave, 20, 2), 1U);                          // PCM
        EXPECT_EQ(field(*wave, 22, 2), 1U);                          // mono
        EXPECT_EQ(field(*wave, 24, 4), cue_waves::kSampleRate);      // samples a second
        EXPECT_EQ(field(*wave, 28, 4), 2 * cue_waves::kSampleRate);  // bytes a second
        EXPECT_EQ(field(*wave, 32, 2), 2U);
        EXPECT_EQ(field(*wave, 34, 2), 16U);
        EXPECT_EQ(std::memcmp(wave->data() + 36, "data", 4), 0);
        EXPECT_EQ(field(*wave, 40, 4), 2 * samples);
    }
    EXPECT_LT(samples * 1000 / cue_waves::kSampleRate, 250U);
    EXPECT_NE(up, down);
    // 80 ms of 660 Hz crosses zero about 105 times, of 990 Hz about 158.
    EXPECT_LT(crossings(up, 0, samples / 2) + 30, crossings(up, samples / 2, samples));
    EXPECT_GT(crossings(down, 0, samples / 2), crossings(down, samples / 2, samples) + 30);
}

class TransmitCuesTest : public FormFixture {
  protected:
    void startWithSound(const std::string& stored) {
        store.put("Win", "Sound", stored);
        startUp();
    }
    std::vector<std::string> cueLines() const {
        std::vector<std::string> out;
        for (const std::string& text : eventTexts()) {
            if (text.rfind("cue: ", 0) == 0 || text.rfind("taskbar", 0) == 0) out.push_back(text);
        }
        return out;
    }
};

// Every way the state changes passes one place; a screen reader's default action is the click.
TEST_F(TransmitCuesTest, EveryChangeOfWhatTheIndicatorShowsSoundsOneCueWhateverMadeIt) {
    startWithSound("1");
    form.hostRequest(0, 1);
    form.hostRequest(0, 1);  // no change: no cue
    form.hostRequest(0, 2);
    form.indicatorTarget.userClick();
    form.hostRequest(0, 0);
    form.menuTransmit();
    form.menuTransmit();
    form.indicatorTarget.userClick();
    form.chooseTransmitLimit(60);
    form.transmitTimerFired();
    form.hostRequest(0, 0);  // ends the limit's hold; no change
    EXPECT_EQ(sound.played, (std::vector<std::string>{"transmitting", "receiving", "transmitting",
                                                      "receiving", "transmitting", "receiving"}));

    // An unkey that cannot be delivered leaves the indicator red: nothing to tell until the line's own
    // unkey goes out.
    form.hostRequest(0, 1);
    port.pullOut(1);
    EXPECT_THROW(form.hostRequest(0, 0), Failure);
    EXPECT_EQ(form.line().state(), RadioLine::State::MayBeTransmitting);
    EXPECT_EQ(sound.played.size(), 7U);
    port.present.insert(1);
    form.portArrived(1);
    EXPECT_EQ(form.line().state(), RadioLine::State::Receiving);
    form.hostRequest(0, 1);
    form.unload();  // the unkey at shut-down
    EXPECT_EQ(sound.played, (std::vector<std::string>{
                                "transmitting", "receiving", "transmitting", "receiving", "transmitting",
                                "receiving", "transmitting", "receiving", "transmitting", "receiving"}));
    const auto lines = cueLines();
    EXPECT_EQ(lines.size(), 10U);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "cue: transmitting"), 5);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "cue: receiving"), 5);
}

TEST_F(TransmitCuesTest, StoredValueIsReadAtStartAndWrittenWhenChosen) {
    for (const std::string stored : {"", "0", "2", "on", " 1"}) {
        store.put("Win", "Sound", stored);
        form.load();
        EXPECT_FALSE(form.soundOn()) << '"' << stored << '"';
    }
    form.hostRequest(0, 1);
    EXPECT_TRUE(sound.played.empty());
    form.chooseSound(true);
    EXPECT_EQ(store.get("Win", "Sound"), "1");
    form.hostRequest(0, 0);
    form.chooseSound(false);
    EXPECT_EQ(store.get("Win", "Sound"), "0");
    form.hostRequest(0, 1);
    EXPECT_EQ(sound.played, std::vector<std::string>{"receiving"});
    log.failing.insert("save");
    form.chooseSound(true);  // held for this run, though not stored
    EXPECT_TRUE(form.soundOn());
}

TEST_F(TransmitCuesTest, CueThatCannotBePlayedSaysWhyOnceAndTheRadioIsServed) {
    startWithSound("1");
    log.failing.insert("playCue");
    form.hostRequest(0, 1);
    form.hostRequest(0, 0);
    EXPECT_EQ(cueLines(), (std::vector<std::string>{
                              "cue: transmitting: not played: playCue told to fail [code 4242]",
                              "cue: receiving: not played",
                          }));
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
}

TEST_F(TransmitCuesTest, TaskbarMarkFollowsTheIndicatorOnceTheButtonIsThere) {
    startUp();
    form.hostRequest(0, 1);  // before the button: nothing to mark
    EXPECT_EQ(taskbar.connects, 0);
    form.taskbarButtonCreated();
    form.hostRequest(0, 1);
    form.hostRequest(0, 0);
    form.taskbarButtonCreated();  // the taskbar restarted while receiving: a new button carries no mark
    EXPECT_EQ(taskbar.marks, (std::vector<bool>{true, false}));
    EXPECT_EQ(taskbar.connects, 2);
    EXPECT_TRUE(cueLines().empty());
}

TEST_F(TransmitCuesTest, MissingTaskbarIsLoggedOnceAndNothingElseChanges) {
    startUp();
    log.failing.insert("connectTaskbar");
    form.taskbarButtonCreated();
    form.hostRequest(0, 1);
    form.taskbarButtonCreated();
    log.failing.clear();
    log.failing.insert("markTransmitting");
    form.taskbarButtonCreated();
    form.hostRequest(0, 0);
    EXPECT_EQ(cueLines(),
              std::vector<std::string>{
                  "taskbar: no transmit mark on the button: connectTaskbar told to fail [code 4242]"});
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
    EXPECT_EQ(form.indicator.fillColor(), kGreen);
}

}  // namespace
}  // namespace zelt::testing
