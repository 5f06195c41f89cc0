// The glow post-process and colour grading of a scene.
#pragma once

struct Scene;

// Creates what the scene's glow and colour grading need; run once the scene is loaded.
void setUpGlow(Scene* scene);
