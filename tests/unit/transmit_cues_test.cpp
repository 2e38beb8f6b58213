#include <gtest/gtest.h>

#include "app/transmit_cues.h"
#include "fakes/form_fixture.h"

namespace zelt::testing {
namespace {

using Texts = std::vector<std::string>;

std::uint32_t field(const std::vector<std::uint8_t>& wave, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | wave.at(at + static_cast<std::size_t>(i));
    return value;
}

// Sign changes of the samples [from, to): a higher tone crosses zero more often.
int crossings(const std::vector<std::uint8_t>& wave, std::size_t from, std::size_t to) {
    int count = 0;
    for (std::size_t i = from + 1; i < to; ++i) {
        count += (field(wave, 44 + 2 * i, 2) >> 15) != (field(wave, 42 + 2 * i, 2) >> 15) ? 1 : 0;
    }
    return count;
}

TEST(CueWaves, AreShortMonoPcmFilesOneRisingAndOneFalling) {
    const auto up = cue_waves::transmitting();
    const auto down = cue_waves::receiving();
    constexpr std::size_t n = cue_waves::kSampleRate * 2 * cue_waves::kToneMilliseconds / 1000;
    EXPECT_LT(n * 1000 / cue_waves::kSampleRate, 250U);
    for (const auto* wave : {&up, &down}) {
        ASSERT_EQ(wave->size(), 44 + 2 * n);
        const std::string text(wave->begin(), wave->begin() + 44);
        EXPECT_EQ(text.substr(0, 4) + text.substr(8, 8) + text.substr(36, 4), "RIFFWAVEfmt data");
        // RIFF size, format size, PCM, mono, rate, bytes a second, frame, bits, data size.
        EXPECT_EQ((std::vector<std::uint32_t>{field(*wave, 4, 4), field(*wave, 16, 4), field(*wave, 20, 2),
                                              field(*wave, 22, 2), field(*wave, 24, 4), field(*wave, 28, 4),
                                              field(*wave, 32, 2), field(*wave, 34, 2), field(*wave, 40, 4)}),
                  (std::vector<std::uint32_t>{static_cast<std::uint32_t>(36 + 2 * n), 16, 1, 1, 22050, 44100,
                                              2, 16, static_cast<std::uint32_t>(2 * n)}));
    }
    EXPECT_NE(up, down);
    EXPECT_LT(crossings(up, 0, n / 2) + 30, crossings(up, n / 2, n));  // about 105 against 158
    EXPECT_GT(crossings(down, 0, n / 2), crossings(down, n / 2, n) + 30);
}

class TransmitCuesTest : public FormFixture {
  protected:
    Texts linesStarting(const std::string& prefix) const {
        Texts out;
        for (const std::string& text : eventTexts()) {
            if (text.rfind(prefix, 0) == 0) out.push_back(text);
        }
        return out;
    }
    Texts calls(const std::string& prefix) const {
        Texts out;
        for (const std::string& call : log.calls) {
            if (call.rfind(prefix, 0) == 0) out.push_back(call.substr(prefix.size()));
        }
        return out;
    }
};

// The screen reader's default action is the click; the line's own unkey is the one owed.
TEST_F(TransmitCuesTest, EveryChangeOfWhatTheIndicatorShowsSoundsOneCueWhateverMadeIt) {
    store.put("Win", "Sound", "1");
    startUp();
    form.hostRequest(0, 1);
    form.hostRequest(0, 1);  // no change: no cue
    form.hostRequest(0, 2);
    form.indicatorClicked();
    form.menuTransmit();
    form.chooseTransmitLimit(60);
    form.transmitTimerFired();
    form.hostRequest(0, 0);  // ends the limit's hold; no change
    form.hostRequest(0, 1);
    port.pullOut(1);
    EXPECT_THROW(form.hostRequest(0, 0), Failure);  // may still be keyed: red, no cue
    port.present.insert(1);
    form.portArrived(1);
    form.hostRequest(0, 1);
    form.unload();
    const Texts pairs{"transmitting", "receiving", "transmitting", "receiving",
                      "transmitting", "receiving", "transmitting", "receiving"};
    EXPECT_EQ(window.played, pairs);
    EXPECT_EQ(linesStarting("cue: ").size(), 8U);
    EXPECT_EQ(linesStarting("cue: ").front(), "cue: transmitting");
}

TEST_F(TransmitCuesTest, StoredValueIsReadAtStartAndWrittenWhenChosen) {
    for (const std::string stored : {"", "0", "2", " 1"}) {
        store.put("Win", "Sound", stored);
        form.load();
        EXPECT_FALSE(form.soundOn()) << '"' << stored << '"';
    }
    form.hostRequest(0, 1);
    form.chooseSound(true);
    EXPECT_EQ(store.get("Win", "Sound"), "1");
    form.hostRequest(0, 0);
    form.chooseSound(false);
    EXPECT_EQ(store.get("Win", "Sound"), "0");
    form.hostRequest(0, 1);
    EXPECT_EQ(window.played, Texts{"receiving"});
}

TEST_F(TransmitCuesTest, CueThatCannotBePlayedSaysWhyOnceAndTheRadioIsServed) {
    store.put("Win", "Sound", "1");
    startUp();
    log.failing.insert("playCue");
    form.hostRequest(0, 1);
    form.hostRequest(0, 0);
    EXPECT_EQ(
        linesStarting("cue"),
        (Texts{"cue: transmitting", "cue: not played: playCue told to fail [code 4242]", "cue: receiving"}));
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock);
}

TEST_F(TransmitCuesTest, TaskbarMarkFollowsTheIndicatorOnceTheButtonIsThereAndAMissingOneIsLoggedOnce) {
    startUp();
    form.hostRequest(0, 1);  // no button yet
    form.taskbarButtonCreated();
    form.hostRequest(0, 0);
    form.taskbarButtonCreated();  // the taskbar restarted: a new button carries no mark
    EXPECT_EQ(calls("markTransmitting"), (Texts{"(on)", "(off)"}));
    EXPECT_EQ(calls("connectTaskbar").size(), 2U);

    log.failing = {"connectTaskbar", "markTransmitting"};
    form.taskbarButtonCreated();
    form.hostRequest(0, 1);
    form.taskbarButtonCreated();
    log.failing = {"markTransmitting"};
    form.taskbarButtonCreated();
    form.hostRequest(0, 0);
    EXPECT_EQ(linesStarting("taskbar"),
              Texts{"taskbar: no transmit mark on the button: connectTaskbar told to fail [code 4242]"});
    EXPECT_EQ(lineOf(1), kOnBlock + kOffBlock + kOnBlock + kOffBlock);
}

}  // namespace
}  // namespace zelt::testing
