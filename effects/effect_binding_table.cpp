// The binding table: every effect name with what it stores in its slot. Rows are grouped by
// family; `pass` is 2 everywhere but the blur, which runs after the overlays.
#include <cstring>

#include "effects/effect_binding.h"

namespace {

const EffectBinding kBindings[] = {
    {"4DFractal", FAMILY_FRACTAL, VARIANT_FRACTAL_4D, 2, 50, {0, 256}, {}, {0.5f, 0.5f, 0.5f, 0}, {0.04f, 0.4f, 0, 0}, ""},
    {"3DBrain", FAMILY_FRACTAL, VARIANT_FRACTAL_BRAIN, 2, 50, {0, 256}, {}, {0.2f, 0.5f, 0.8f, 0}, {0.05f, 0.7f, 0, 0}, ""},
    {"Small_4DFractal_1", FAMILY_FRACTAL, VARIANT_FRACTAL_SMALL_1, 2, 35, {0, 64}, {}, {0.5f, 0.5f, 0.5f, 0}, {0.05f, 0.7f, 0, 0}, ""},
    {"Small_4DFractal_2", FAMILY_FRACTAL, VARIANT_FRACTAL_SMALL_2, 2, 35, {0, 64}, {}, {0.5f, 0.5f, 0.5f, 0}, {0.02f, 0.7f, 0, 0}, ""},
    {"HorizontalGaussian", FAMILY_BLUR, VARIANT_NONE, 3, 0, {}, {}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"PleaseDontDissappear", FAMILY_PICTURE, VARIANT_NONE, 2, 0, {}, {}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/Please_dont_dissappear.JPG"},
    {"Apocalypse", FAMILY_PICTURE, VARIANT_NONE, 2, 0, {}, {}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/Apocalypse.JPG"},
    {"Typing_Login", FAMILY_TYPING, VARIANT_NONE, 2, 527, {}, {3500}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/Login.txt"},
    {"Typing_Scroll", FAMILY_TYPING, VARIANT_NONE, 2, 527, {}, {3500}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/Scroll.txt"},
    {"SoftBody", FAMILY_SOFT_BODY, VARIANT_NONE, 2, 0, {}, {0, 1, 0, 2.2f, 4, 35100, 60, 586320, 700000, 5, -9.81f, 0, 0.0045f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/SoftBody.lwo"},
    {"SoftSkrzynia", FAMILY_SOFT_BODY, VARIANT_NONE, 2, 0, {0, 0, 0, 0, 0, 0, 1}, {-0.5f, 2, 0, 1.2f, 4, 65100, 1, 806320, 3600000, 0, -0.81f, 0, 0.0024f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/Meta.lwo"},
    {"SoftBody2", FAMILY_SOFT_BODY, VARIANT_NONE, 2, 0, {0, 0, 0, 0, 0, 0, 0, 1}, {0, 4, 0, 2.2f, 3, 30100, 30, 86320, 10000, 0, -9.81f, -2, 0.0045f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/SoftBody2.lwo"},
    {"SoftBody3", FAMILY_SOFT_BODY, VARIANT_NONE, 2, 0, {0, 0, 0, 0, 0, 0, 0, 1}, {0, 4, 0, 2.2f, 3, 30100, 10, 16320, 26000, -3, -9.81f, 0, 0.0045f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/SoftBody2.lwo"},
    {"SoftBody4", FAMILY_SOFT_BODY, VARIANT_NONE, 2, 0, {0, 0, 0, 0, 0, 0, 0, 1}, {0, 4, 0, 2.2f, 5, 30100, 10, 16320, 12000, 0, -9.81f, 3, 0.0045f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/SoftBody2.lwo"},
    {"LightBlob", FAMILY_LIGHT_BLOB, VARIANT_NONE, 2, 0, {}, {}, {0.5f, 0.5f, 0.5f, 1}, {1, 1, 1, 1}, "Demo/Kula_swiatla_powierzchnia.lws"},
    {"LightBlobSpotkanie", FAMILY_LIGHT_BLOB, VARIANT_NONE, 2, 0, {}, {}, {1, 1, 1, 1}, {1, 1, 1, 1}, "Demo/Kula_swiatla_powierzchnia_spotkanie.lws"},
    {"Kula_przy_statku", FAMILY_LIGHT_BLOB, VARIANT_NONE, 2, 0, {}, {}, {0.7f, 0.7f, 0.7f, 0.7f}, {1, 1, 1, 1}, "Demo/Kula_swiatla_powierzchnia_statek.lws"},
    {"MetaBalls", FAMILY_METABALLS, VARIANT_NONE, 2, 3, {}, {}, {0.1f, 0.2f, 0.2f, 1}, {0, 0, 0, 0}, ""},
    {"Whale", FAMILY_SWIMMING, VARIANT_NONE, 2, 0, {}, {1.4f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/wielo.lwo"},
    {"Babka", FAMILY_SWIMMING, VARIANT_NONE, 2, 0, {4}, {6.4f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/ELF2.lwo"},
    {"Kula", FAMILY_SWIMMING, VARIANT_NONE, 2, 0, {4}, {6.4f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/kula_tri2.lwo"},
    {"Cube", FAMILY_SWIMMING, VARIANT_NONE, 2, 0, {4}, {3}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/Skrzynka.lwo"},
    {"Kula2", FAMILY_SWIMMING, VARIANT_NONE, 2, 0, {}, {3.4f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/kula_tri2.lwo"},
    {"Whale_Fast", FAMILY_SWIMMING, VARIANT_NONE, 2, 0, {}, {2.1f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/wielo2.lwo"},
    {"Herring_Boids", FAMILY_BOIDS, VARIANT_FLOCK_HERRING, 2, 0, {}, {0.015f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/slec.lwo"},
    {"Herring_Boids_3", FAMILY_BOIDS, VARIANT_FLOCK_HERRING_THREE, 2, 0, {}, {0.01f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/slec2.lwo"},
    {"Herring_Boids_2", FAMILY_BOIDS, VARIANT_FLOCK_HERRING_TWO, 2, 0, {}, {0.02f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/ryba_cz.lwo"},
    {"Herring_Boids_2b", FAMILY_BOIDS, VARIANT_FLOCK_HERRING_TWO, 2, 0, {}, {0.02f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/ryba_cz2.lwo"},
    {"Yellow_Boids", FAMILY_BOIDS, VARIANT_FLOCK_YELLOW, 2, 0, {}, {0.02f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/Ryba_Zolta.lwo"},
    {"Yellow_Boids_2", FAMILY_BOIDS, VARIANT_FLOCK_YELLOW_TWO, 2, 0, {}, {0.02f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/Ryba_Zolta.lwo"},
    {"Blue_Boids", FAMILY_BOIDS, VARIANT_FLOCK_BLUE, 2, 0, {}, {0.01f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/ryba_zn.lwo"},
    {"Blue_Boids_2", FAMILY_BOIDS, VARIANT_FLOCK_BLUE_TWO, 2, 0, {}, {0.01f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/ryba_zn2.lwo"},
    {"Green_Boids", FAMILY_BOIDS, VARIANT_FLOCK_GREEN, 2, 0, {}, {0.02f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/Ryba_ziel.lwo"},
    {"Green_Boids_2", FAMILY_BOIDS, VARIANT_FLOCK_GREEN, 2, 0, {}, {0.02f, 4}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/Ryba_ziel.lwo"},
    {"Green_Boids_6", FAMILY_BOIDS, VARIANT_FLOCK_GREEN, 2, 0, {}, {0.02f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/Ryba_ziel.lwo"},
    {"Green_Boids_3", FAMILY_BOIDS, VARIANT_FLOCK_GREEN_THREE, 2, 0, {}, {0.02f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/Ryba_ziel.lwo"},
    {"Lots_of_Herrings", FAMILY_BOIDS, VARIANT_FLOCK_LOTS_OF_HERRINGS, 2, 0, {}, {0.02f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/slec.lwo"},
    {"BoidsSmall", FAMILY_BOIDS, VARIANT_FLOCK_SMALL, 2, 0, {}, {0.01f, 8.5f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/Ryba_test3.lwo"},
    {"BoidsMedium", FAMILY_BOIDS, VARIANT_FLOCK_MEDIUM, 2, 0, {}, {0.01f, 13.5f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/Ryba_test4.lwo"},
    {"BoidsMedium2", FAMILY_BOIDS, VARIANT_FLOCK_MEDIUM, 2, 0, {}, {0.01f}, {0, 0, 0, 0}, {0, 0, 0, 0}, "Demo/Ryba_test4.lwo"},
    {"ElectroBlob", FAMILY_ELECTRO_SURFACE, VARIANT_SURFACE_BLOB, 2, 0, {}, {0.3f, 0.27f, -1, 4, -3.14159274f, 6.28318548f, -1.57079637f, 3.14159274f}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"ElectroBlobWiekszy", FAMILY_ELECTRO_SURFACE, VARIANT_SURFACE_BLOB, 2, 0, {0, 0, 0, 0, 0, 0, 0, 1}, {0.28f, 0.18f, -1, 2, -3.14159274f, 6.28318548f, -1.57079637f, 3.14159274f}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"ElectroBlobWiekszy2", FAMILY_ELECTRO_SURFACE, VARIANT_SURFACE_BLOB, 2, 0, {}, {0.28f, 0.18f, -1, 2, -3.14159274f, 6.28318548f, -1.57079637f, 3.14159274f}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"ElectroBlobThorus", FAMILY_ELECTRO_SURFACE, VARIANT_SURFACE_TORUS, 2, 0, {}, {0.65f, 0.2f, -2, 3, 0, 6.28318548f, -1, 3}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"ElectroSin", FAMILY_ELECTRO_SURFACE, VARIANT_SURFACE_SINE, 2, 0, {}, {0.79f, 0.52f, -1, 4, 0, 2, 0, 12.566371f}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"ElectroSin2", FAMILY_ELECTRO_SURFACE, VARIANT_SURFACE_SINE, 2, 0, {}, {0.59f, 0.42f, -1, 4, 0, 2, 0, 12.566371f}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"ElectroCos", FAMILY_ELECTRO_SURFACE, VARIANT_SURFACE_COSINE, 2, 0, {}, {0.79f, 0.52f, -1, 4, 0, 2, 0, 12.566371f}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"ElectroCos2", FAMILY_ELECTRO_SURFACE, VARIANT_SURFACE_COSINE, 2, 0, {0, 0, 0, 0, 0, 1}, {0.79f, 0.52f, -1, 4, 0, 2, 0, 12.566371f}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"ElectroTan", FAMILY_ELECTRO_SURFACE, VARIANT_SURFACE_TANGENT, 2, 0, {}, {0.79f, 0.52f, -1, 4, -3.14159274f, 6.28318548f, 0.2f, 2}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"ElectroTan2", FAMILY_ELECTRO_SURFACE, VARIANT_SURFACE_TANGENT, 2, 0, {}, {0.79f, 0.52f, -1, 4, -3.14159274f, 6.28318548f, 0.2f, 1.57079637f}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"ElectroCot", FAMILY_ELECTRO_SURFACE, VARIANT_SURFACE_COTANGENT, 2, 0, {}, {0.79f, 0.52f, -1, 4, -3.14159274f, 6.28318548f, -1, 2}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"ElectroCot2", FAMILY_ELECTRO_SURFACE, VARIANT_SURFACE_COTANGENT, 2, 0, {}, {0.4f, 0.22f, -1, 4, -3.14159274f, 6.28318548f, 0.1f, 2}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"ElectroExp", FAMILY_ELECTRO_SURFACE, VARIANT_SURFACE_EXPONENTIAL, 2, 0, {}, {0.79f, 0.52f, -1, 4, -3.14159274f, 6.28318548f, -1.57079637f, 3.14159274f}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"ElectroCurve", FAMILY_ELECTRO_RIBBON, VARIANT_RIBBON, 2, 0, {}, {0.88f, 0.32f, -1, 2, -1, 2}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"ElectroCurveGray", FAMILY_ELECTRO_RIBBON, VARIANT_RIBBON, 2, 0, {0, 0, 0, 0, 0, 0, 0, 1}, {0.38f, 0.28f, -1, 2, -10, 10}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"ElectroCurveGray2", FAMILY_ELECTRO_RIBBON, VARIANT_RIBBON, 2, 0, {0, 0, 0, 0, 0, 0, 0, 0, 1}, {0.38f, 0.68f, -1, 2, -1, 5}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"ElectroCurveGray3", FAMILY_ELECTRO_RIBBON, VARIANT_RIBBON, 2, 0, {0, 0, 0, 0, 0, 0, 0, 0, 1}, {0.48f, 0.88f, -1, 2, 0.1f, 3}, {0, 0, 0, 0}, {0, 0, 0, 0}, ""},
    {"Bubbles", FAMILY_BUBBLES, VARIANT_BUBBLES, 2, 50, {0, 0, 0, 20, 20, 10, 3, 5, 8, 0, 1, 20}, {}, {0.018f, 0.118f, 0.118f, 1}, {0.4f, 0.6f, 0.6f, 1}, ""},
    {"Bubbles_dluzsze", FAMILY_BUBBLES, VARIANT_BUBBLES, 2, 150, {0, 0, 0, 80, 10, 10, 2, 1, 8, 0, 5, 20}, {}, {0.018f, 0.118f, 0.118f, 1}, {0.4f, 0.6f, 0.6f, 1}, ""},
    {"Bubbles_Nurek", FAMILY_BUBBLES, VARIANT_BUBBLES_NUREK, 2, 250, {0, 0, 0, 50, 150, 285, 1, 70, 4, 0, 1, 120}, {2.7f}, {0.078f, 0.118f, 0.118f, 1}, {0.5f, 0.5f, 0.5f, 1}, ""},
    {"Bubbles_Whale", FAMILY_BUBBLES, VARIANT_BUBBLES_WHALE, 2, 200, {0, 0, 0, 40, 30, 15, 2, 5, 8, 0, 1, 20}, {3}, {0.018f, 0.018f, 0.018f, 1}, {0.1f, 0.2f, 0.2f, 1}, ""},
    {"Bubbles_Whale2", FAMILY_BUBBLES, VARIANT_BUBBLES_WHALE, 2, 300, {0, 0, 0, 40, 30, 15, 2, 5, 8, 0, 1, 20}, {6.6666665f}, {0.018f, 0.018f, 0.018f, 1}, {0.1f, 0.2f, 0.2f, 1}, ""},
    {"Bubbles_Whale3", FAMILY_BUBBLES, VARIANT_BUBBLES_WHALE, 2, 400, {0, 0, 0, 40, 30, 15, 2, 5, 8, 0, 1, 20}, {14}, {0.018f, 0.018f, 0.018f, 1}, {0.1f, 0.2f, 0.2f, 1}, ""},
    {"Bubbles_Whale4", FAMILY_BUBBLES, VARIANT_BUBBLES_WHALE, 2, 400, {0, 0, 0, 40, 30, 15, 2, 5, 8, 0, 1, 20}, {6.6666665f}, {0.018f, 0.018f, 0.018f, 1}, {0.1f, 0.2f, 0.2f, 1}, ""},
    {"Bubbles_Whale5", FAMILY_BUBBLES, VARIANT_BUBBLES_WHALE, 2, 400, {0, 0, 0, 40, 30, 15, 5, 5, 8, 0, 4, 20}, {}, {0.018f, 0.018f, 0.018f, 1}, {0.1f, 0.2f, 0.2f, 1}, ""},
    {"Bubbles_Dziad", FAMILY_BUBBLES, VARIANT_BUBBLES_DZIAD, 2, 450, {0, 0, 0, 10, 12000, 5000, 1, 5, 4, 0, 1, 20}, {}, {0.118f, 0.218f, 0.218f, 1}, {0.4f, 0.6f, 0.6f, 1}, ""},
    {"Bubbles_Dziad_Spada", FAMILY_BUBBLES, VARIANT_BUBBLES_DZIAD, 2, 50, {0, 0, 0, 12, 8000, 3000, 2, 7, 4, 0, 1, 15}, {}, {0.118f, 0.218f, 0.218f, 1}, {0.5f, 0.7f, 0.7f, 1}, ""},
    {"Bubbles_Dziad_Spada_Bok", FAMILY_BUBBLES, VARIANT_BUBBLES_DZIAD_SPADA_BOK, 2, 140, {0, 0, 0, 12, 8000, 3000, 2, 8, 4, 0, 1, 25}, {}, {0.118f, 0.218f, 0.218f, 1}, {0.5f, 0.7f, 0.7f, 1}, ""},
    {"Bubbles_Nos1", FAMILY_BUBBLES, VARIANT_BUBBLES_NOS1, 2, 40, {0, 0, 0, 50, 8000, 3000, 1, 30, 4, 0, 1, 200}, {}, {0.048f, 0.118f, 0.118f, 1}, {0.5f, 0.5f, 0.5f, 1}, "Demo/bable_z_nosa_X.env\nDemo/bable_z_nosa_Y.env\nDemo/bable_z_nosa_Z.env"},
    {"Bubbles_Nos2", FAMILY_BUBBLES, VARIANT_BUBBLES_NOS1, 2, 40, {0, 0, 0, 40, 8000, 3000, 1, 30, 4, 0, 1, 200}, {}, {0.048f, 0.118f, 0.118f, 1}, {0.5f, 0.5f, 0.5f, 1}, "Demo/bable_z_nosa2_X.env\nDemo/bable_z_nosa2_Y.env\nDemo/bable_z_nosa2_Z.env"},
    {"Bubbles_Ucho1", FAMILY_BUBBLES, VARIANT_BUBBLES_NOS1, 2, 80, {0, 0, 0, 10, 8000, 3000, 1, 30, 4, 0, 1, 200}, {}, {0.048f, 0.118f, 0.118f, 1}, {0.5f, 0.5f, 0.5f, 1}, "Demo/bable_z_ucha_X.env\nDemo/bable_z_ucha_Y.env\nDemo/bable_z_ucha_Z.env"},
    {"Bubbles_Ucho2", FAMILY_BUBBLES, VARIANT_BUBBLES_NOS1, 2, 70, {0, 0, 0, 50, 8000, 3000, 1, 30, 4, 0, 1, 200}, {}, {0.048f, 0.118f, 0.118f, 1}, {0.5f, 0.5f, 0.5f, 1}, "Demo/bable_z_ucha2_X.env\nDemo/bable_z_ucha2_Y.env\nDemo/bable_z_ucha2_Z.env"},
    {"Bubbles_Usta", FAMILY_BUBBLES, VARIANT_BUBBLES_NOS1, 2, 40, {0, 0, 0, 50, 8000, 3000, 1, 30, 4, 0, 1, 200}, {}, {0.048f, 0.118f, 0.118f, 1}, {0.5f, 0.5f, 0.5f, 1}, "Demo/bable_z_ust_X.env\nDemo/bable_z_ust_Y.env\nDemo/bable_z_ust_Z.env"},
};

}  // namespace

const EffectBinding* findEffectBinding(const char* name) {
    for (const EffectBinding& row : kBindings)
        if (std::strcmp(row.name, name) == 0) return &row;
    return nullptr;
}

const EffectBinding* effectBindings(int* count) {
    *count = int(sizeof kBindings / sizeof kBindings[0]);
    return kBindings;
}
