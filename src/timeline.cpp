// timeline.cpp -- the show's running order, one row per title card or scene.
#include "timeline.h"

#include "board.h"
#include "borderlinescene.h"
#include "cloudmanscene.h"
#include "corescene.h"
#include "forestscene.h"
#include "galaxyscene.h"
#include "planetscene.h"
#include "seaweedscene.h"
#include "stormscene.h"
#include "wormholescene.h"

namespace {
template <const char* File>
Scene* board()
{
    return new Board(File);
}

// Board image names, as template arguments need objects with linkage.
constexpr char titleBoard[] = "titleboard.png";
constexpr char presentsBoard[] = "mirvboard.png";
constexpr char galaxyBoard[] = "galaxyboard.png";
constexpr char wormholeBoard[] = "wormholeboard.png";
constexpr char planetBoard[] = "planetboard.png";
constexpr char cloudmanBoard[] = "cloudmanboard.png";
constexpr char forestBoard[] = "forestboard.png";
constexpr char stormBoard[] = "stormboard.png";
constexpr char seaweedBoard[] = "seaweedboard.png";
constexpr char coreBoard[] = "coreboard.png";
constexpr char endBoard[] = "endboard.png";
constexpr char creditsBoard[] = "creditsboard.png";
}

const std::vector<TimelineRow>& timelineRows()
{
    static const std::vector<TimelineRow> rows = {
        // name               start bar  item
        {"title board",           0,  board<titleBoard>},
        {"presents board",        7,  board<presentsBoard>},
        {"galaxy board",         14,  board<galaxyBoard>},
        {"galaxy",               18,  []() -> Scene* { return new GalaxyScene(); }},
        {"wormhole board",       38,  board<wormholeBoard>},
        {"wormhole",             42,  []() -> Scene* { return new WormholeScene(); }},
        {"planet board",         54,  board<planetBoard>},
        {"planet",               58,  []() -> Scene* { return new PlanetScene(); }},
        {"cloudman board",       82,  board<cloudmanBoard>},
        {"cloudman",             86,  []() -> Scene* { return new CloudmanScene(); }},
        {"forest board",        102,  board<forestBoard>},
        {"forest",              106,  []() -> Scene* { return new ForestScene(); }},
        {"borderline",          150,  []() -> Scene* { return new BorderlineScene(); }},
        {"storm board",         166,  board<stormBoard>},
        {"storm",               170,  []() -> Scene* { return new StormScene(); }},
        {"seaweed board",       186,  board<seaweedBoard>},
        {"seaweed",             190,  []() -> Scene* { return new SeaweedScene(); }},
        {"core board",          206,  board<coreBoard>},
        {"core",                210,  []() -> Scene* { return new CoreScene(); }},
        {"end board",           228,  board<endBoard>},
        {"credits board",       236,  board<creditsBoard>},
    };
    return rows;
}
