// The one list of effect families, in EffectFamily order; each family's descriptor lives in its own
// folder. A new family adds its header here and its descriptor to the list.
#pragma once

#include "effects/blur/gaussian_blur.h"
#include "effects/boids/boids_draw.h"
#include "effects/bubbles/bubbles.h"
#include "effects/effect_family.h"
#include "effects/electro/electro_ribbon.h"
#include "effects/electro/electro_surface.h"
#include "effects/fractal/fractal.h"
#include "effects/light_blob/light_blob.h"
#include "effects/metaballs/metaballs.h"
#include "effects/picture/picture.h"
#include "effects/soft_body/soft_body.h"
#include "effects/swimming/swimming.h"
#include "effects/typing/typing.h"

inline constexpr EffectFamilyDescriptor kNoFamily = {FAMILY_NONE, "none",         nullptr, nullptr, nullptr, nullptr,
                                                     kNoFamilyFiles, nullptr, nullptr, nullptr, nullptr, nullptr};

inline constexpr const EffectFamilyDescriptor* kEffectFamilies[] = {
    &kNoFamily,
    &kFractalFamily,
    &kPictureFamily,
    &kBlurFamily,
    &kTypingFamily,
    &kSoftBodyFamily,
    &kLightBlobFamily,
    &kMetaballsFamily,
    &kSwimmingFamily,
    &kBoidsFamily,
    &kElectroSurfaceFamily,
    &kElectroRibbonFamily,
    &kBubblesFamily,
};

namespace effect_families_detail {
constexpr bool inEnumOrder() {
    for (int32_t k = 0; k < FAMILY_COUNT; ++k)
        if (kEffectFamilies[k]->family != k) return false;
    return true;
}
}  // namespace effect_families_detail
static_assert(sizeof kEffectFamilies / sizeof kEffectFamilies[0] == FAMILY_COUNT,
              "every EffectFamily needs its descriptor in kEffectFamilies");
static_assert(effect_families_detail::inEnumOrder(), "kEffectFamilies must follow the EffectFamily order");

// The family's descriptor; FAMILY_NONE's for a value outside the enum.
inline const EffectFamilyDescriptor* effectFamily(EffectFamily family) {
    return family >= 0 && family < FAMILY_COUNT ? kEffectFamilies[family] : &kNoFamily;
}
