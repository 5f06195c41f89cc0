// The diagnostics rows, the start requirement and the C-locale formatting of program texts.
#include <gtest/gtest.h>
#include <locale.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "render/device_caps.h"
#include "render/program_builder.h"

namespace {

std::string diagnostics(const DeviceCaps& caps, int* code) {
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    *code = printDiagnostics(&caps, out);
    std::fclose(out);
    std::string result(text, size);
    std::free(text);
    return result;
}

DeviceCaps foundEverywhere() {
    DeviceCaps caps = {};
    std::memset(caps.states, EXTENSION_FOUND, sizeof caps.states);
    std::strcpy(caps.renderer, "Soft");
    std::strcpy(caps.vendor, "Nobody");
    std::strcpy(caps.version, "1.5");
    return caps;
}

TEST(Diagnostics, RowsInTheWindowsOrderWithTheirStates) {
    DeviceCaps caps = foundEverywhere();
    caps.states[EXT_WGL_ARB_PBUFFER] = EXTENSION_NOT_REQUIRED;
    caps.states[EXT_NV_FRAGMENT_PROGRAM] = EXTENSION_MISSING;
    int code = -1;
    std::string text = diagnostics(caps, &code);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(text.rfind("Renderer: Soft\nVendor: Nobody\nGL Version: 1.5\n", 0), 0u) << text;
    size_t last = 0;
    for (int i = 0; i < REQUIRED_EXTENSION_COUNT; ++i) {
        size_t at = text.find(std::string("\n") + extensionLabel(i) + " ");
        ASSERT_NE(at, std::string::npos) << extensionLabel(i);
        EXPECT_GT(at, last) << extensionLabel(i);
        last = at;
    }
    EXPECT_NE(text.find("\nWGL_ARB_pbuffer                  NOT_REQUIRED\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nSGIS_generate_mipmap             FOUND\n\nWGL_ARB_extensions_string"), std::string::npos);
    // The NV path is no requirement and has no row.
    EXPECT_EQ(text.find("NOT_FOUND"), std::string::npos);
}

TEST(Diagnostics, AnyMissingRequiredExtensionFailsTheRequirement) {
    for (int index : {int(EXT_ARB_MULTITEXTURE), int(EXT_EXT_BGRA), int(EXT_WGL_ARB_MULTISAMPLE)}) {
        DeviceCaps caps = foundEverywhere();
        caps.states[index] = EXTENSION_MISSING;
        EXPECT_FALSE(meetsStartRequirement(&caps));
        int code = -1;
        std::string text = diagnostics(caps, &code);
        EXPECT_EQ(code, 1);
        std::string row = std::string(extensionLabel(index));
        row += std::string(33 - row.size(), ' ') + "NOT_FOUND\n";
        EXPECT_NE(text.find(row), std::string::npos) << text;
        EXPECT_NE(text.find("does not meet the requirements"), std::string::npos);
    }
    DeviceCaps caps = foundEverywhere();
    caps.states[EXT_WGL_ARB_RENDER_TEXTURE] = EXTENSION_NOT_REQUIRED;
    caps.states[EXT_NV_FRAGMENT_PROGRAM] = EXTENSION_MISSING;
    EXPECT_TRUE(meetsStartRequirement(&caps));
}

TEST(ProgramText, NumbersAreFormattedInTheCLocale) {
    // Any installed locale with a decimal comma shows the difference; plain C machines still check
    // the formatting itself.
    const char* commaLocales[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "pl_PL.UTF-8", "ru_RU.UTF-8"};
    locale_t comma = static_cast<locale_t>(0);
    for (const char* name : commaLocales)
        if ((comma = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0))) != static_cast<locale_t>(0)) break;
    locale_t previous = comma ? uselocale(comma) : static_cast<locale_t>(0);
    ProgramBuilder builder = {};
    appendProgramFormat(&builder, "PARAM p={%f,%d,%.3f};", 0.5, -3, 1234.5678);
    if (comma) {
        uselocale(previous);
        freelocale(comma);
    }
    EXPECT_STREQ(builder.text, "PARAM p={0.500000,-3,1234.568};");
    releaseProgramBuilder(&builder);
}

TEST(ProgramText, AppendingGrowsTheBufferAndKeepsEveryByte) {
    ProgramBuilder own = {};
    ProgramBuilder* builder = &own;
    std::string expected;
    for (int i = 0; expected.size() < PROGRAM_BUFFER_SIZE + 1000; ++i) {
        char piece[64];
        std::snprintf(piece, sizeof piece, "MOV result.texcoord[%d],vertex.texcoord[%d];\n", i % 8, i % 8);
        appendProgramText(builder, piece);
        expected += piece;
    }
    appendProgramFormat(builder, "%s", std::string(3000, 'y').c_str());  // longer than a formatting piece
    expected += std::string(3000, 'y');
    ASSERT_EQ(builder->length, expected.size());
    EXPECT_GT(builder->capacity, builder->length);
    EXPECT_EQ(std::string(builder->text, builder->length), expected);
    EXPECT_EQ(builder->text[builder->length], 0);
    EXPECT_EQ(builder->text[builder->capacity - 1], 0);
    releaseProgramBuilder(builder);
}

}  // namespace
