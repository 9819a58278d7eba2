// test_arrangement.cpp -- the soundtrack's sections follow the running order, and the score hits
// the scenes' sync points.
#include <gtest/gtest.h>

#include <algorithm>

#include "arrangement.h"
#include "exception.h"
#include "instruments.h"

namespace {

// The complete running order of the show, as the scenes' own timings assume it.
const std::vector<TimelineRow>& fullShow()
{
    static const std::vector<TimelineRow> rows = {
        {"title board", 0, nullptr},     {"presents board", 7, nullptr}, {"galaxy board", 14, nullptr},
        {"galaxy", 18, nullptr},         {"wormhole board", 38, nullptr}, {"wormhole", 42, nullptr},
        {"planet board", 54, nullptr},   {"planet", 58, nullptr},        {"cloudman board", 82, nullptr},
        {"cloudman", 86, nullptr},       {"forest board", 102, nullptr}, {"forest", 106, nullptr},
        {"borderline", 150, nullptr},    {"storm board", 166, nullptr},  {"storm", 170, nullptr},
        {"seaweed board", 186, nullptr}, {"seaweed", 190, nullptr},      {"core board", 206, nullptr},
        {"core", 210, nullptr},          {"end board", 228, nullptr},    {"credits board", 236, nullptr},
    };
    return rows;
}

const Score& fullScore()
{
    static const Score score = compose(sectionsOf(fullShow()));
    return score;
}

std::vector<Note> notesOf(const Score& score, Instrument instrument)
{
    std::vector<Note> found;
    for (const Note& note : score.notes()) {
        if (note.instrument == instrument)
            found.push_back(note);
    }
    return found;
}

bool hasNoteAt(const Score& score, Instrument instrument, int step)
{
    for (const Note& note : score.notes()) {
        if (note.instrument == instrument && note.step == step)
            return true;
    }
    return false;
}

}  // namespace

TEST(Arrangement, HasOneSectionPerTimelineRowFromItsStartBarToTheNext)
{
    const std::vector<TimelineRow>& rows = timelineRows();
    const std::vector<Section> sections = sectionsOf(rows);
    ASSERT_EQ(sections.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(sections[i].name, rows[i].name);
        EXPECT_EQ(sections[i].startBar, rows[i].startBar);
        EXPECT_EQ(sections[i].endBar, i + 1 < rows.size() ? rows[i + 1].startBar : SHOW_BARS) << rows[i].name;
    }
}

TEST(Arrangement, HasMusicForEveryTimelineRowAndEveryRowOfTheFullShow)
{
    for (const TimelineRow& row : timelineRows())
        EXPECT_TRUE(hasMusicFor(row.name)) << row.name;
    for (const TimelineRow& row : fullShow())
        EXPECT_TRUE(hasMusicFor(row.name)) << row.name;
}

TEST(Arrangement, RefusesRowsOutOfOrderAndRowsWithoutMusic)
{
    const std::vector<TimelineRow> backwards = {{"title board", 0, nullptr}, {"galaxy", 20, nullptr}, {"wormhole", 10, nullptr}};
    EXPECT_THROW(sectionsOf(backwards), Exception);
    const std::vector<TimelineRow> lateStart = {{"galaxy", 3, nullptr}};
    EXPECT_THROW(sectionsOf(lateStart), Exception);
    EXPECT_THROW(compose({{"juggler", 0, SHOW_BARS}}), Exception);
}

TEST(Composition, EverySectionWritesOnlyInsideItsOwnBarsWhateverItsLength)
{
    // A row may move or a scene row may be missing, so every piece must fit any span it is given.
    for (const TimelineRow& row : fullShow()) {
        for (int bars : {1, 2, 3, 4, 5, 9, 17, 44, 60}) {
            const int firstBar = 10;
            const Score score = compose({{row.name, firstBar, firstBar + bars}});
            EXPECT_FALSE(score.notes().empty()) << row.name << " over " << bars << " bars";
            for (const Note& note : score.notes()) {
                EXPECT_GE(note.step, barToStep(firstBar)) << row.name << " over " << bars << " bars";
                EXPECT_LE(note.step + note.length, barToStep(firstBar + bars)) << row.name << " over " << bars << " bars";
            }
        }
    }
}

TEST(Composition, OpensEverySectionOnItsFirstStepWithACrashOrAKick)
{
    for (const Section& section : sectionsOf(fullShow())) {
        const int step = barToStep(section.startBar);
        EXPECT_TRUE(hasNoteAt(fullScore(), Instrument::Crash, step) || hasNoteAt(fullScore(), Instrument::Kick, step))
            << section.name;
    }
}

TEST(Composition, StopsSoundingWithinTheTailAfterTheLastBar)
{
    const double endSeconds = SHOW_BARS * 2.0 + TAIL_SECONDS;
    for (const Note& note : fullScore().notes())
        EXPECT_LE(note.step * 0.125 + soundingSeconds(note), endSeconds) << "note at step " << note.step;
}

TEST(Composition, GrowsTheFirstTreeOneNotePerLevelFromBeat464)
{
    std::vector<int> beats;
    for (const Note& note : notesOf(fullScore(), Instrument::Mallet)) {
        if (note.step >= beatToStep(424) && note.step < beatToStep(600))
            beats.push_back(note.step / STEPS_PER_BEAT);
    }
    EXPECT_EQ(beats, (std::vector<int>{464, 465, 466, 467, 468, 469, 470}));
}

TEST(Composition, PlaysOnePluckPerTreeOnEachBeatFrom493To532)
{
    std::vector<int> treeBeats;
    for (const Note& note : notesOf(fullScore(), Instrument::Pluck)) {
        if (note.step >= beatToStep(488) && note.step < beatToStep(540) && note.step % STEPS_PER_BEAT == 0 && note.length == 2)
            treeBeats.push_back(note.step / STEPS_PER_BEAT);
    }
    std::vector<int> expected;
    for (int beat = 493; beat <= 532; ++beat)
        expected.push_back(beat);
    EXPECT_EQ(treeBeats, expected);
}

TEST(Composition, MarksTheLeavesAt272sAndTheirDriftAt282sWithACrash)
{
    EXPECT_TRUE(hasNoteAt(fullScore(), Instrument::Crash, 272 * 8));  // 8 steps per second
    EXPECT_TRUE(hasNoteAt(fullScore(), Instrument::Crash, 282 * 8));
}

TEST(Composition, BurstsTheCoreOnBeat880WithEveryHitAtOnce)
{
    const int burst = beatToStep(880);
    EXPECT_TRUE(hasNoteAt(fullScore(), Instrument::Boom, burst));
    EXPECT_TRUE(hasNoteAt(fullScore(), Instrument::Crash, burst));
    EXPECT_TRUE(hasNoteAt(fullScore(), Instrument::Kick, burst));
    // Before the burst the shell throbs on even beats only: the kick keeps off the odd ones.
    for (int beat : kickBeats(fullScore())) {
        if (beat >= 840 && beat < 880) {
            EXPECT_EQ(beat % 2, 0) << "kick on odd beat " << beat;
        }
    }
}

TEST(Composition, KeepsTheBorderStraightOutOfTheForestWithABigHitOnBar150)
{
    EXPECT_TRUE(hasNoteAt(fullScore(), Instrument::Boom, barToStep(150)));
    EXPECT_TRUE(hasNoteAt(fullScore(), Instrument::Kick, barToStep(150)));
}

TEST(Composition, PutsAKickOnEveryBeatOfTheDrivingScenes)
{
    const std::vector<int> beats = kickBeats(fullScore());
    auto has = [&](int beat) { return std::binary_search(beats.begin(), beats.end(), beat); };
    for (int bar : {18, 30, 42, 50, 150, 160, 222}) {
        for (int beat = bar * 4; beat < bar * 4 + 4; ++beat)
            EXPECT_TRUE(has(beat)) << "bar " << bar << " beat " << beat;
    }
}

TEST(Score, ReadsNoteNamesAndLinesOfNotes)
{
    EXPECT_EQ(noteNumber("C4"), 60);
    EXPECT_EQ(noteNumber("A4"), 69);
    EXPECT_EQ(noteNumber("Bb1"), 34);
    EXPECT_EQ(noteNumber("F#3"), 54);
    EXPECT_THROW(noteNumber("H2"), Exception);
    EXPECT_THROW(noteNumber("C"), Exception);

    Score score;
    Track track;
    track.instrument = Instrument::Lead;
    EXPECT_EQ(score.line(track, 16, "A4:4 r:2 D5+F5:8!"), 30);
    ASSERT_EQ(score.notes().size(), 3u);
    EXPECT_EQ(score.notes()[0].step, 16);
    EXPECT_EQ(score.notes()[1].step, 22);
    EXPECT_EQ(score.notes()[2].step, 22);
    EXPECT_EQ(score.notes()[2].length, 8);
    EXPECT_FLOAT_EQ(score.notes()[2].pitch, 77.f);  // F5
    EXPECT_GT(score.notes()[2].velocity, score.notes()[0].velocity);
    EXPECT_THROW(score.line(track, 0, "A4"), Exception);
}

TEST(Score, PlacesEveryStepOnTheSixteenthGridWithinHalfAFrame)
{
    EXPECT_EQ(stepToFrame(0), 0);
    EXPECT_EQ(stepToFrame(4), 22050);         // a beat
    EXPECT_EQ(stepToFrame(1), 5512);          // 5512.5 rounded down
    EXPECT_EQ(stepToFrame(beatToStep(880)), 880LL * 22050);
    EXPECT_EQ(stepToFrame(barToStep(245)), 490LL * 44100);
}
