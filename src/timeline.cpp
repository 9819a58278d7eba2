// timeline.cpp -- builds each row of the running order into the card or scene its kind names.
#include "timeline.h"

#include "board.h"
#include "borderlinescene.h"
#include "cloudmanscene.h"
#include "corescene.h"
#include "exception.h"
#include "forestscene.h"
#include "galaxyscene.h"
#include "planetscene.h"
#include "seaweedscene.h"
#include "stormscene.h"
#include "wormholescene.h"

Scene* createScene(const TimelineRow& row, bool gentle)
{
    switch (row.kind) {
    case SceneKind::Board: return new Board(row.card);
    case SceneKind::Galaxy: return new GalaxyScene();
    case SceneKind::Wormhole: return new WormholeScene(gentle);
    case SceneKind::Planet: return new PlanetScene(gentle);
    case SceneKind::Cloudman: return new CloudmanScene();
    case SceneKind::Forest: return new ForestScene();
    case SceneKind::Borderline: return new BorderlineScene();
    case SceneKind::Storm: return new StormScene();
    case SceneKind::Seaweed: return new SeaweedScene();
    case SceneKind::Core: return new CoreScene();
    }
    THROW_EXCEPTION(std::string("No scene for timeline row: ") + row.name);
}
