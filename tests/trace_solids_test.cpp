// The GL calls of whole frames, traced in-process (trace/gl_recorder.cpp stands in for GL, GLU
// and GLUT): with the solids recorded, each solid becomes the replay of its list at the very place
// of the library's call, every matrix and state call before and after it stays where it was, and
// the only other change is whole cubes outside the view left out.
#include "trace/gl_recorder.h"

#include "app/frame.h"
#include "app/show_state.h"
#include "elements/light_ring.h"
#include "elements/solids.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Trace = std::vector<std::string>;

// Any non-null quadric: the recorder never looks into it.
int quadricStandIn;

class SolidTrace : public ::testing::Test {
protected:
    void SetUp() override
    {
        showState = ShowState{};
        showState.quadric = reinterpret_cast<GLUquadric*>(&quadricStandIn);
        resetRingRadii();
        recordedCalls().clear();
        prepareSolids();
        preparation = recordedCalls();
    }

    void TearDown() override
    {
        setSolidPath(SolidPath::recorded);
        showState = ShowState{};
    }

    // The calls of the frame at `showTimeMs`, with the solids drawn the way given, from the state
    // `start` (the values earlier frames hand on). Each replayed list is written as the call it
    // was recorded from, so that the two paths' traces read alike.
    static Trace frameTrace(SolidPath path, const ShowState& start, std::uint32_t showTimeMs, int& replayed)
    {
        setSolidPath(path);
        showState = start;
        updateSchedule(int(showTimeMs));
        recordedCalls().clear();
        renderFrame(showState.scene, showTimeMs, showState.sceneTime);
        Trace trace;
        replayed = 0;
        for (const std::string& call : recordedCalls()) {
            unsigned list = 0;
            if (std::sscanf(call.c_str(), "glCallList(%u)", &list) == 1 && recordedSolidName(list)) {
                trace.push_back(recordedSolidName(list));
                ++replayed;
            } else
                trace.push_back(call);
        }
        return trace;
    }

    Trace preparation;
};

bool isSolidCall(const std::string& call)
{
    return call.rfind("glutSolid", 0) == 0 || call.rfind("gluSphere", 0) == 0;
}

// One call, or one whole cube of the waves: glPushMatrix, two or three placing calls ending in
// the 45-degree turn, the cube, glPopMatrix.
struct Unit {
    std::string calls;
    bool cubeBlock;
    int solids;
};

std::vector<Unit> unitsOf(const Trace& trace)
{
    std::vector<Unit> units;
    for (std::size_t i = 0; i < trace.size(); ++i) {
        std::size_t end = i + 1;
        while (end < trace.size() && end < i + 6 && trace[end] != "glPopMatrix()")
            ++end;
        const bool cubeBlock = trace[i] == "glPushMatrix()" && end < trace.size() && end >= i + 4 &&
                               trace[end] == "glPopMatrix()" && trace[end - 1] == "glutSolidCube(25)" &&
                               trace[end - 2] == "glRotated(45, 0, 0, 1)" &&
                               trace[end - 3].rfind("glTranslated(", 0) == 0;
        if (!cubeBlock) {
            units.push_back({trace[i], false, isSolidCall(trace[i])});
            continue;
        }
        std::string calls;
        for (std::size_t k = i; k <= end; ++k)
            calls += (k == i ? "" : "; ") + trace[k];
        units.push_back({calls, true, 1});
        i = end;
    }
    return units;
}

TEST_F(SolidTrace, EachListHoldsExactlyTheLibraryCallItIsNamedFor)
{
    // glGenLists, then per solid: glNewList, the one library call, glEndList.
    ASSERT_FALSE(preparation.empty());
    EXPECT_EQ(preparation[0].rfind("glGenLists(", 0), 0u);
    int lists = 0;
    for (std::size_t i = 1; i + 2 < preparation.size(); i += 3) {
        unsigned list = 0, mode = 0;
        ASSERT_EQ(std::sscanf(preparation[i].c_str(), "glNewList(%u, %u)", &list, &mode), 2) << preparation[i];
        EXPECT_EQ(mode, unsigned(GL_COMPILE)) << "recording must not draw";
        ASSERT_NE(recordedSolidName(list), nullptr) << list;
        EXPECT_EQ(preparation[i + 1], recordedSolidName(list)) << "list " << list;
        EXPECT_EQ(preparation[i + 2], "glEndList()");
        ++lists;
    }
    EXPECT_EQ(lists, 6) << "the cube, three GLUT spheres, the cone and the quadric sphere";
}

TEST_F(SolidTrace, ReplayedSolidsKeepTheMatrixAndStateCallsAroundThemInOrder)
{
    // Scene 2 (sphere, cone, 1148 cubes), scene 3 (quadric sphere and three moons), scene 4
    // (sphere at a depth, then the moons until they are gone).
    struct Moment {
        std::uint32_t showTimeMs;
        ShowState start;
        bool cubes;
    };
    ShowState scene3Start{}, scene4Start{};
    scene3Start.cameraX = 113.36666870117188f;
    scene4Start.cameraX = scene3Start.cameraX;
    scene4Start.cameraEndX = 946.6666870117188f;
    const Moment moments[] = {
        {25000, {}, true}, {33500, {}, true}, {41983, {}, true},
        {42000, scene3Start, false}, {60000, scene3Start, false},
        {67000, scene4Start, false}, {85000, scene4Start, false},
    };
    for (const Moment& m : moments) {
        ShowState start = m.start;
        start.quadric = showState.quadric;
        int replayedLiterally = 0, replayed = 0;
        const Trace literal = frameTrace(SolidPath::literal, start, m.showTimeMs, replayedLiterally);
        const Trace recorded = frameTrace(SolidPath::recorded, start, m.showTimeMs, replayed);
        EXPECT_EQ(replayedLiterally, 0);

        // Walk both: every call matches in order, except whole cube blocks (push, placement, cube,
        // pop) that the recorded path left out.
        const std::vector<Unit> literalUnits = unitsOf(literal), recordedUnits = unitsOf(recorded);
        std::size_t i = 0, j = 0;
        int skippedCubes = 0, solids = 0;
        for (; i < literalUnits.size(); ++i) {
            const Unit& unit = literalUnits[i];
            if (j < recordedUnits.size() && unit.calls == recordedUnits[j].calls) {
                solids += unit.solids;
                ++j;
                continue;
            }
            ASSERT_TRUE(unit.cubeBlock) << "at " << m.showTimeMs << ": literal " << unit.calls << ", recorded "
                                        << (j < recordedUnits.size() ? recordedUnits[j].calls : "(end)");
            ++skippedCubes;
        }
        const std::size_t recordedEnd = recordedUnits.size();
        EXPECT_EQ(j, recordedEnd) << "the recorded path made calls the literal one did not, at " << m.showTimeMs;
        EXPECT_EQ(replayed, solids) << "a solid was drawn by the library on the recorded path, at " << m.showTimeMs;
        EXPECT_GT(replayed, 0) << m.showTimeMs;
        if (m.cubes)
            EXPECT_GT(skippedCubes, 0) << "no cube left out at " << m.showTimeMs;
        else
            EXPECT_EQ(skippedCubes, 0) << m.showTimeMs;
    }
}

} // namespace
