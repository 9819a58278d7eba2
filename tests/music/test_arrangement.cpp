// test_arrangement.cpp -- the soundtrack's sections follow the running order, and the score hits
// the sync beats it names.
#include <gtest/gtest.h>

#include <algorithm>

#include "arrangement.h"
#include "exception.h"
#include "instruments.h"

namespace {

const Score& fullScore()
{
    static const Score score = compose(sectionsOf(timelineRows()));
    return score;
}

// First beat of the first row of a kind, counted from the start of the show.
int firstBeatOf(SceneKind kind)
{
    for (const TimelineRow& row : timelineRows())
        if (row.kind == kind)
            return row.startBar * BEATS_PER_BAR;
    ADD_FAILURE() << "no row of that kind";
    return 0;
}

// The beats, counted from the forest's first, of the notes one instrument plays in the forest's 176.
std::vector<int> forestBeatsOf(Instrument instrument)
{
    const int forest = firstBeatOf(SceneKind::Forest);
    std::vector<int> beats;
    for (const Note& note : fullScore().notes())
        if (note.instrument == instrument && note.step >= beatToStep(forest) && note.step < beatToStep(forest + 176))
            beats.push_back(note.step / STEPS_PER_BEAT - forest);
    return beats;
}

bool hasNoteAt(Instrument instrument, int step)
{
    for (const Note& note : fullScore().notes())
        if (note.instrument == instrument && note.step == step)
            return true;
    return false;
}

}  // namespace

TEST(Arrangement, HasOneSectionWithMusicPerRowEndingWhereTheNextBeginsOpeningWithACrashOrAKickAndNoGaps)
{
    const std::vector<TimelineRow>& rows = timelineRows();
    const std::vector<Section> sections = sectionsOf(rows);
    ASSERT_EQ(sections.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_TRUE(sections[i].name == rows[i].name && sections[i].startBar == rows[i].startBar) << rows[i].name;
        EXPECT_EQ(sections[i].endBar, i + 1 < rows.size() ? rows[i + 1].startBar : SHOW_BARS) << rows[i].name;
        EXPECT_TRUE(hasMusicFor(rows[i].name)) << rows[i].name;
        const int step = barToStep(sections[i].startBar);
        EXPECT_TRUE(hasNoteAt(Instrument::Crash, step) || hasNoteAt(Instrument::Kick, step)) << rows[i].name;
    }
    // Rows that leave a gap, overlap or run past the end, and rows without music, are refused.
    auto row = [](const char* name, int startBar, int bars) { return TimelineRow{name, nullptr, SceneKind::Galaxy, startBar, bars}; };
    EXPECT_THROW(sectionsOf({row("galaxy", 3, 10)}), Exception);                      // late start
    EXPECT_THROW(sectionsOf({row("galaxy", 0, 10), row("wormhole", 12, 5)}), Exception);  // gap
    EXPECT_THROW(sectionsOf({row("galaxy", 0, 10), row("wormhole", 8, 5)}), Exception);   // overlap
    EXPECT_THROW(sectionsOf({row("galaxy", 0, SHOW_BARS + 1)}), Exception);           // past the end
    EXPECT_THROW(compose({{"juggler", 0, SHOW_BARS}}), Exception);
}

TEST(Composition, EverySectionWritesOnlyInsideItsOwnBarsWhateverItsLength)
{
    // A row may move or a scene row may be missing, so every piece must fit any span it is given.
    for (const TimelineRow& row : timelineRows()) {
        for (int bars : {1, 3, 5, 17, 60}) {
            const int firstBar = 10;
            const Score score = compose({{row.name, firstBar, firstBar + bars}});
            EXPECT_FALSE(score.notes().empty()) << row.name << " over " << bars << " bars";
            for (const Note& note : score.notes())
                ASSERT_TRUE(note.step >= barToStep(firstBar) && note.step + note.length <= barToStep(firstBar + bars))
                    << row.name << " over " << bars << " bars";
        }
    }
}

// The sync beats come from the running order; the scenes count them from their first frame, the
// music from its section's first step.
TEST(Composition, GrowsTheFirstTreeOneMalletNotePerLevelAndEachOtherTreeWithAPluck)
{
    std::vector<int> levels, trees;
    for (int level = 0; level < FOREST_TREE_LEVELS; ++level)
        levels.push_back(FOREST_FIRST_TREE_BEAT + level);
    for (int tree = 0; tree < FOREST_OTHER_TREES; ++tree)
        trees.push_back(FOREST_OTHER_TREES_BEAT + tree);
    EXPECT_EQ(forestBeatsOf(Instrument::Mallet), levels);
    EXPECT_EQ(forestBeatsOf(Instrument::Pluck), trees);
}

TEST(Composition, HitsTheSwoopTheLeavesTheBorderAndTheBurstOnTheirBeatsAndKicksEveryBeatOfTheDrivingScenes)
{
    const int swoop = beatToStep(firstBeatOf(SceneKind::Planet) + PLANET_SWOOP_BEAT);
    EXPECT_TRUE(hasNoteAt(Instrument::Crash, swoop) && hasNoteAt(Instrument::Boom, swoop));
    const int forest = firstBeatOf(SceneKind::Forest);
    EXPECT_TRUE(hasNoteAt(Instrument::Crash, beatToStep(forest + FOREST_LEAVES_BEAT)));
    EXPECT_TRUE(hasNoteAt(Instrument::Crash, beatToStep(forest + FOREST_DRIFT_BEAT)));
    // The border comes straight out of the forest with a big hit.
    const int border = beatToStep(firstBeatOf(SceneKind::Borderline));
    EXPECT_TRUE(hasNoteAt(Instrument::Boom, border) && hasNoteAt(Instrument::Kick, border));

    const int core = firstBeatOf(SceneKind::Core);
    const int burst = beatToStep(core + CORE_BURST_BEAT);
    EXPECT_TRUE(hasNoteAt(Instrument::Boom, burst) && hasNoteAt(Instrument::Crash, burst) && hasNoteAt(Instrument::Kick, burst));
    // Before the burst the shell throbs on even beats only: the kick keeps off the odd ones.
    for (int beat : kickBeats(fullScore()))
        EXPECT_FALSE(beat >= core && beat < core + CORE_BURST_BEAT && beat % 2 == 1) << "kick on odd beat " << beat;
    // The driving scenes have a kick on every beat.
    const std::vector<int> beats = kickBeats(fullScore());
    auto has = [&](int beat) { return std::binary_search(beats.begin(), beats.end(), beat); };
    for (int bar : {18, 42, 150, 222})
        for (int beat = bar * 4; beat < bar * 4 + 4; ++beat)
            EXPECT_TRUE(has(beat)) << "bar " << bar << " beat " << beat;
}

TEST(Score, ReadsNoteNamesAndLinesOfNotes)
{
    EXPECT_EQ(noteNumber("Bb1"), 34);
    EXPECT_EQ(noteNumber("F#3"), 54);
    EXPECT_THROW(noteNumber("H2"), Exception);
    Score score;
    Track track;
    track.instrument = Instrument::Lead;
    EXPECT_EQ(score.line(track, 16, "A4:4 r:2 D5+F5:8!"), 30);
    ASSERT_EQ(score.notes().size(), 3u);
    EXPECT_EQ(score.notes()[0].step, 16);
    const Note& accented = score.notes()[2];  // F5, after the rest, sounded with D5
    EXPECT_TRUE(accented.step == 22 && accented.length == 8 && accented.pitch == 77.f);
    EXPECT_GT(accented.velocity, score.notes()[0].velocity);
    EXPECT_THROW(score.line(track, 0, "A4"), Exception);
}

TEST(Score, PlacesEveryStepOnTheSixteenthGridWithinHalfAFrame)
{
    EXPECT_EQ(stepToFrame(1), 5512);          // 5512.5 rounded down
    EXPECT_EQ(stepToFrame(beatToStep(880)), 880LL * 22050);
    EXPECT_EQ(stepToFrame(barToStep(245)), 490LL * 44100);
}
