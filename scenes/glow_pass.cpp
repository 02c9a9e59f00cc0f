// The glow pass, its restore and the light-ring tail, in the one call order every scene uses.
#include "scenes/glow_pass.h"

#include "app/show_state.h"
#include "elements/light_ring.h"
#include "textures/texture_state.h"

#include <GL/gl.h>

void beginGlowPass()
{
    glDisable(GL_LIGHTING);
    // source * (1 - destination) + destination: brightens what lies behind a sparkle and never
    // passes full intensity.
    glBlendFunc(GL_ONE_MINUS_DST_COLOR, GL_ONE);
    glEnable(GL_BLEND);
    // Still depth-tested against what came before, but writing no depth, so sparkles never hide
    // one another or anything drawn later.
    glDepthMask(GL_FALSE);
    glDisable(GL_CULL_FACE);
    // A failed load's -1 reaches GL as 4294967295 and simply draws untextured.
    useTexture(GLuint(showState.glowTexture));
}

void endGlowPass()
{
    useTexture(0);
    glEnable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
}

void drawLightRingTail(int sceneTimeMs, int centreZ, ShowMs showTimeMs)
{
    beginGlowPass();
    drawLightRing(sceneTimeMs, 0, 0, centreZ, showTimeMs);
    endGlowPass();
}
