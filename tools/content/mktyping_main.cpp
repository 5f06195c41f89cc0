// velmora_mktyping: turns a typing source (content/text/*.txt) into the typing effect's file.
//   velmora_mktyping SOURCE OUT
#include <cstdio>
#include <string>

#include "tools/content/image_encode.h"
#include "tools/content/typing_text.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: velmora_mktyping SOURCE OUT\n");
        return 2;
    }
    FILE* f = std::fopen(argv[1], "rb");
    if (!f) {
        std::fprintf(stderr, "velmora_mktyping: cannot open %s\n", argv[1]);
        return 1;
    }
    std::string source;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) source.append(buffer, n);
    std::fclose(f);

    TypingSettings settings;
    std::string text, error;
    std::vector<TypingEntry> entries;
    if (!parseTypingSource(source, &settings, &text, &error) ||
        !timeTypingText(settings, text, TYPING_ENTRY_COUNT, &entries, &error)) {
        std::fprintf(stderr, "velmora_mktyping: %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    std::string out = formatTypingEntries(entries);
    if (!writeFileBytes(argv[2], Bytes(out.begin(), out.end()), &error)) {
        std::fprintf(stderr, "velmora_mktyping: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
