// The LightWave side of the sample production, built from the descriptions under content/:
// materials.txt and objects.txt (LWO2 objects), envelopes.txt (".env" files), scenes/*.txt (LWS
// scenes), extras.txt (light-blob control scenes, program files padded to their sizes, generated
// pictures, files copied as they are).
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/content/scenes/description.h"
#include "tools/content/scenes/shapes.h"

// Package path -> bytes.
typedef std::map<std::string, std::vector<uint8_t>> ProductionFiles;

struct MaterialLayer {
    std::string channel;   // "COLR", "BUMP", ...
    std::string image;     // still path, or sequence prefix
    bool sequence = false;
    int digits = 0;
    std::string suffix;
    int first = 0;
    int end = 1;  // one past the last frame
    uint16_t opacityType = 0;
    float opacity = 1.0f;
    uint16_t wrap = 1;  // 0 border, 1 repeat, 2 mirror, 3 edge
    uint16_t pixelBlending = 1;
};

struct Material {
    std::string name;
    float colour[3] = {0.8f, 0.8f, 0.8f};
    float diffuse = 1.0f;
    float specular = 0;
    float glossiness = 0.4f;
    float glow = 0;
    float smoothingDegrees = 60;
    std::vector<MaterialLayer> layers;
};

typedef std::map<std::string, Material> MaterialTable;

bool readMaterials(const Description& lines, MaterialTable* out, std::string* error);

// One object of objects.txt as a mesh with its material, before it is written.
struct ObjectRecipe {
    std::string path;
    std::string uvName = "Texture";
    ShapeMesh mesh;
    const Material* material = nullptr;
};

bool buildObjectRecipe(const DescriptionLine& line, const MaterialTable& materials, ObjectRecipe* out,
                       std::string* error);
// LWO2 bytes: one layer, the triangles, the UV map, the weight maps, the clips and the one surface.
std::vector<uint8_t> writeObjectRecipe(const ObjectRecipe& recipe);
bool buildObjects(const Description& lines, const MaterialTable& materials, ProductionFiles* files,
                  std::string* error);

bool buildEnvelopeFiles(const Description& lines, ProductionFiles* files, std::string* error);

// A scene description (the lines of one scenes/*.txt); writes its LWS file.
bool buildScene(const Description& lines, ProductionFiles* files, std::string* error);

// extras.txt; contentDir locates the sources of "program" and "copy" lines.
bool buildExtras(const Description& lines, const std::string& contentDir, ProductionFiles* files,
                 std::string* error);
// The program text with comment lines inserted before its last "END" so that it is exactly `size`
// bytes. False when the text is already longer or has no "END".
bool padProgram(const std::string& text, size_t size, std::string* out, std::string* error);
// The light blob's control scene: 210 nulls whose Y channels are 209 control heights around `base`
// and the relief depth, with a light and a camera so that it is a complete scene.
std::string makeBlobControlScene(uint32_t seed, float base, float wobble, float period, float depth);

// Everything: the files of content/ in the order above.
bool buildProduction(const std::string& contentDir, ProductionFiles* files, std::string* error);
