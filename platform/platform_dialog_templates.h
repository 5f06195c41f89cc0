// The dialog templates of resources/, compiled in at build time.
#pragma once

struct EmbeddedTemplate {
    const char* name;  // the file name without ".ui"
    const char* text;  // GtkBuilder XML
};

extern const EmbeddedTemplate kEmbeddedTemplates[];
extern const int kEmbeddedTemplateCount;
