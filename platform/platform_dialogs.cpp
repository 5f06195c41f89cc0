// Modal dialogs through GTK 3: a GtkBuilder template per dialog, its controls found by numeric id,
// their signals turned into the owner's procedure calls.
#include <gtk/gtk.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/platform_dialog_templates.h"
#include "platform/platform_dialogs.h"

struct PlatformDialog {
    GtkBuilder* builder;
    GtkWindow* window;
    const DialogProcedure* procedure;
    GMainLoop* loop;
    bool ended;
    int result;
    guint watchSource;
};

struct DialogPainter {
    cairo_t* cairo;
    GtkWidget* widget;
};

namespace {

const char* const kTemplateNames[DIALOG_TEMPLATE_COUNT] = {"setup_dialog", "diagnostics_dialog", "gamma_dialog"};

// Close to the small dialog font the layouts were made for: default GTK padding would not fit them.
const char* kStyle =
    "* { font: 8pt Sans; }"
    "button { padding: 0 4px; min-height: 0; min-width: 0; }"
    "combobox button { padding: 0 4px; }"
    "checkbutton { padding: 0; }"
    "check { min-width: 12px; min-height: 12px; margin: 0 4px 0 0; }"
    "scrollbar slider { min-width: 12px; min-height: 12px; }";

int gAvailable = -1;
bool (*gWatcher)(const char* caption, const char* text);

const char* templateText(DialogTemplate which) {
    for (int i = 0; i < kEmbeddedTemplateCount; ++i)
        if (std::strcmp(kEmbeddedTemplates[i].name, kTemplateNames[which]) == 0) return kEmbeddedTemplates[i].text;
    return nullptr;
}

// Template object ids made of digits are control ids; everything else has none.
int controlId(GObject* object) {
    if (!GTK_IS_BUILDABLE(object)) return -1;
    const char* name = gtk_buildable_get_name(GTK_BUILDABLE(object));
    if (!name || !*name || std::strlen(name) > 6) return -1;
    for (const char* p = name; *p; ++p)
        if (*p < '0' || *p > '9') return -1;
    return std::atoi(name);
}

GtkWidget* control(PlatformDialog* d, int id) {
    char name[16];
    std::snprintf(name, sizeof name, "%d", id);
    GObject* object = gtk_builder_get_object(d->builder, name);
    return object && GTK_IS_WIDGET(object) ? GTK_WIDGET(object) : nullptr;
}

int widgetId(GtkWidget* widget) { return controlId(G_OBJECT(widget)); }

void onClicked(GtkButton* button, gpointer data) {
    auto* d = static_cast<PlatformDialog*>(data);
    d->procedure->command(d, widgetId(GTK_WIDGET(button)));
}

ScrollRequest scrollRequest(GtkScrollType type) {
    switch (type) {
        case GTK_SCROLL_STEP_BACKWARD: case GTK_SCROLL_STEP_UP: case GTK_SCROLL_STEP_LEFT: return SCROLL_LINE_UP;
        case GTK_SCROLL_STEP_FORWARD: case GTK_SCROLL_STEP_DOWN: case GTK_SCROLL_STEP_RIGHT: return SCROLL_LINE_DOWN;
        case GTK_SCROLL_PAGE_BACKWARD: case GTK_SCROLL_PAGE_UP: case GTK_SCROLL_PAGE_LEFT: return SCROLL_PAGE_UP;
        case GTK_SCROLL_PAGE_FORWARD: case GTK_SCROLL_PAGE_DOWN: case GTK_SCROLL_PAGE_RIGHT: return SCROLL_PAGE_DOWN;
        case GTK_SCROLL_JUMP: return SCROLL_THUMB_TRACK;
        case GTK_SCROLL_START: return SCROLL_TOP;
        case GTK_SCROLL_END: return SCROLL_BOTTOM;
        default: return SCROLL_END;
    }
}

// The owner decides the new position; GTK's own handling is suppressed.
gboolean onChangeValue(GtkRange* range, GtkScrollType type, gdouble value, gpointer data) {
    auto* d = static_cast<PlatformDialog*>(data);
    if (d->procedure->scroll)
        d->procedure->scroll(d, widgetId(GTK_WIDGET(range)), scrollRequest(type), int(std::lround(value)));
    return TRUE;
}

gboolean onDraw(GtkWidget* widget, cairo_t* cairo, gpointer data) {
    auto* d = static_cast<PlatformDialog*>(data);
    DialogPainter painter = {cairo, widget};
    if (d->procedure->draw) d->procedure->draw(d, widgetId(widget), &painter);
    return FALSE;
}

gboolean onDelete(GtkWidget*, GdkEvent*, gpointer data) {
    auto* d = static_cast<PlatformDialog*>(data);
    d->procedure->command(d, DIALOG_CANCEL_ID);
    return TRUE;
}

gboolean onKey(GtkWidget*, GdkEventKey* event, gpointer data) {
    if (event->keyval != GDK_KEY_Escape) return FALSE;
    auto* d = static_cast<PlatformDialog*>(data);
    d->procedure->command(d, DIALOG_CANCEL_ID);
    return TRUE;
}

gboolean watchDialog(gpointer data) {
    auto* d = static_cast<PlatformDialog*>(data);
    d->watchSource = 0;
    if (gWatcher && gWatcher(gtk_window_get_title(d->window), "")) d->procedure->command(d, DIALOG_CANCEL_ID);
    return G_SOURCE_REMOVE;
}

gboolean watchMessageBox(gpointer data) {
    GtkWidget* box = GTK_WIDGET(data);
    g_object_set_data(G_OBJECT(box), "velmora-watch", nullptr);
    const char* text = static_cast<const char*>(g_object_get_data(G_OBJECT(box), "velmora-text"));
    if (gWatcher && gWatcher(gtk_window_get_title(GTK_WINDOW(box)), text)) gtk_dialog_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
    return G_SOURCE_REMOVE;
}

void connectControls(PlatformDialog* d) {
    GSList* objects = gtk_builder_get_objects(d->builder);
    for (GSList* o = objects; o; o = o->next) {
        GObject* object = G_OBJECT(o->data);
        if (controlId(object) < 0) continue;
        if (GTK_IS_BUTTON(object) && !GTK_IS_TOGGLE_BUTTON(object))
            g_signal_connect(object, "clicked", G_CALLBACK(onClicked), d);
        else if (GTK_IS_RANGE(object))
            g_signal_connect(object, "change-value", G_CALLBACK(onChangeValue), d);
        else if (GTK_IS_DRAWING_AREA(object))
            g_signal_connect(object, "draw", G_CALLBACK(onDraw), d);
    }
    g_slist_free(objects);
    g_signal_connect(d->window, "delete-event", G_CALLBACK(onDelete), d);
    g_signal_connect(d->window, "key-press-event", G_CALLBACK(onKey), d);
}

void flushEvents() {
    while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
}

}  // namespace

bool platformDialogsAvailable() {
    if (gAvailable < 0) {
        // The program's numbers are read and written in the C locale: GTK must not change it.
        gtk_disable_setlocale();
        // No accessibility bus: a session without one would make every dialog wait for it.
        setenv("NO_AT_BRIDGE", "1", 0);
        gAvailable = gtk_init_check(nullptr, nullptr) ? 1 : 0;
        if (gAvailable) {
            GtkCssProvider* css = gtk_css_provider_new();
            gtk_css_provider_load_from_data(css, kStyle, -1, nullptr);
            gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(css),
                                                      GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
            g_object_unref(css);
            // A click in a scroll bar's trough pages, as the scroll requests expect.
            g_object_set(gtk_settings_get_default(), "gtk-primary-button-warps-slider", FALSE, nullptr);
        }
    }
    return gAvailable == 1;
}

PlatformDialog* platformOpenDialog(DialogTemplate which, const DialogProcedure* procedure, PlatformDialog* owner) {
    const char* text = templateText(which);
    if (!text || !platformDialogsAvailable()) return nullptr;
    GtkBuilder* builder = gtk_builder_new();
    GError* error = nullptr;
    if (!gtk_builder_add_from_string(builder, text, -1, &error)) {
        std::fprintf(stderr, "dialog template %s: %s\n", kTemplateNames[which], error->message);
        g_error_free(error);
        g_object_unref(builder);
        return nullptr;
    }
    auto* d = new PlatformDialog{builder, GTK_WINDOW(gtk_builder_get_object(builder, "dialog")), procedure,
                                 nullptr, false, 0, 0};
    if (owner) gtk_window_set_transient_for(d->window, owner->window);
    connectControls(d);
    procedure->init(d);
    gtk_widget_show(GTK_WIDGET(d->window));
    return d;
}

void platformCloseDialog(PlatformDialog* d) {
    if (!d) return;
    if (d->watchSource) g_source_remove(d->watchSource);
    gtk_widget_destroy(GTK_WIDGET(d->window));
    g_object_unref(d->builder);
    if (d->loop) g_main_loop_unref(d->loop);
    delete d;
    flushEvents();
}

int platformRunDialog(DialogTemplate which, const DialogProcedure* procedure, PlatformDialog* owner) {
    PlatformDialog* d = platformOpenDialog(which, procedure, owner);
    if (!d) return -1;
    if (!d->ended) {
        if (gWatcher) d->watchSource = g_timeout_add(100, watchDialog, d);
        d->loop = g_main_loop_new(nullptr, FALSE);
        platformEnterModal();
        g_main_loop_run(d->loop);
        platformLeaveModal();
    }
    int result = d->result;
    platformCloseDialog(d);
    return result;
}

void platformEndDialog(PlatformDialog* d, int result) {
    d->ended = true;
    d->result = result;
    if (d->loop) g_main_loop_quit(d->loop);
}

bool platformDialogEnded(const PlatformDialog* d, int* result) {
    if (d->ended && result) *result = d->result;
    return d->ended;
}

void platformDialogPlace(PlatformDialog* d, int x, int y, int width, int height) {
    gtk_widget_set_size_request(GTK_WIDGET(d->window), width, height);
    gtk_window_resize(d->window, width, height);
    gtk_window_move(d->window, x, y);
}

void platformDialogSetText(PlatformDialog* d, int id, const char* text) {
    GtkWidget* w = control(d, id);
    if (w && GTK_IS_LABEL(w)) gtk_label_set_text(GTK_LABEL(w), text);
    else if (w && GTK_IS_BUTTON(w)) gtk_button_set_label(GTK_BUTTON(w), text);
}

void platformDialogSetList(PlatformDialog* d, int id, const char* const* items, int count, int selected) {
    GtkWidget* w = control(d, id);
    if (!w || !GTK_IS_COMBO_BOX_TEXT(w)) return;
    GtkComboBoxText* list = GTK_COMBO_BOX_TEXT(w);
    gtk_combo_box_text_remove_all(list);
    for (int i = 0; i < count; ++i) gtk_combo_box_text_append_text(list, items[i]);
    gtk_combo_box_set_active(GTK_COMBO_BOX(list), selected >= 0 && selected < count ? selected : -1);
}

bool platformDialogSelectedText(PlatformDialog* d, int id, char* out, int size) {
    out[0] = 0;
    GtkWidget* w = control(d, id);
    if (!w || !GTK_IS_COMBO_BOX_TEXT(w)) return false;
    gchar* text = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(w));
    if (!text) return false;
    std::snprintf(out, size, "%s", text);
    g_free(text);
    return true;
}

bool platformDialogChecked(PlatformDialog* d, int id) {
    GtkWidget* w = control(d, id);
    return w && GTK_IS_TOGGLE_BUTTON(w) && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(w));
}

void platformDialogSetChecked(PlatformDialog* d, int id, bool checked) {
    GtkWidget* w = control(d, id);
    if (w && GTK_IS_TOGGLE_BUTTON(w)) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(w), checked);
}

void platformDialogSetScroll(PlatformDialog* d, int id, int low, int high, int position) {
    GtkWidget* w = control(d, id);
    if (!w || !GTK_IS_RANGE(w)) return;
    GtkAdjustment* a = gtk_range_get_adjustment(GTK_RANGE(w));
    gtk_adjustment_set_lower(a, low);
    gtk_adjustment_set_upper(a, high);
    gtk_adjustment_set_value(a, position);
}

int platformDialogScrollPosition(PlatformDialog* d, int id) {
    GtkWidget* w = control(d, id);
    return w && GTK_IS_RANGE(w) ? int(std::lround(gtk_range_get_value(GTK_RANGE(w)))) : 0;
}

void platformDialogInvalidate(PlatformDialog* d, int x, int y, int width, int height) {
    GtkWidget* surface = control(d, DIALOG_SURFACE_ID);
    if (surface) gtk_widget_queue_draw_area(surface, x, y, width, height);
}

void platformDialogMessageBox(PlatformDialog* owner, const char* caption, const char* text) {
    GtkWidget* box = gtk_message_dialog_new(owner ? owner->window : nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER,
                                            GTK_BUTTONS_OK, "%s", text);
    gtk_window_set_title(GTK_WINDOW(box), caption);
    g_object_set_data_full(G_OBJECT(box), "velmora-text", g_strdup(text), g_free);
    if (gWatcher) g_object_set_data(G_OBJECT(box), "velmora-watch", GUINT_TO_POINTER(g_timeout_add(100, watchMessageBox, box)));
    platformEnterModal();
    gtk_dialog_run(GTK_DIALOG(box));
    platformLeaveModal();
    if (guint watch = GPOINTER_TO_UINT(g_object_get_data(G_OBJECT(box), "velmora-watch"))) g_source_remove(watch);
    gtk_widget_destroy(box);
    flushEvents();
}

void platformPaintText(DialogPainter* p, int x, int y, int red, int green, int blue, const char* text) {
    PangoLayout* layout = gtk_widget_create_pango_layout(p->widget, text);
    cairo_set_source_rgb(p->cairo, red / 255.0, green / 255.0, blue / 255.0);
    cairo_move_to(p->cairo, x, y);
    pango_cairo_show_layout(p->cairo, layout);
    g_object_unref(layout);
}

void platformPaintPolyline(DialogPainter* p, const int* xy, int points, int red, int green, int blue) {
    if (points < 2) return;
    cairo_set_source_rgb(p->cairo, red / 255.0, green / 255.0, blue / 255.0);
    cairo_set_line_width(p->cairo, 1.0);
    // Pixel centres: one-pixel lines stay one pixel wide.
    cairo_move_to(p->cairo, xy[0] + 0.5, xy[1] + 0.5);
    for (int i = 1; i < points; ++i) cairo_line_to(p->cairo, xy[2 * i] + 0.5, xy[2 * i + 1] + 0.5);
    cairo_stroke(p->cairo);
}

void platformDialogControls(PlatformDialog* d, void (*visit)(const DialogControl*, void*), void* user) {
    GObject* fixed = gtk_builder_get_object(d->builder, "fixed");
    GList* children = gtk_container_get_children(GTK_CONTAINER(fixed));
    for (GList* c = children; c; c = c->next) {
        GtkWidget* w = GTK_WIDGET(c->data);
        DialogControl control = {widgetId(w), "label", "", 0, 0, 0, 0};
        gtk_container_child_get(GTK_CONTAINER(fixed), w, "x", &control.x, "y", &control.y, nullptr);
        gtk_widget_get_size_request(w, &control.width, &control.height);
        const char* text = nullptr;
        if (GTK_IS_CHECK_BUTTON(w)) control.kind = "check", text = gtk_button_get_label(GTK_BUTTON(w));
        else if (GTK_IS_BUTTON(w)) control.kind = "button", text = gtk_button_get_label(GTK_BUTTON(w));
        else if (GTK_IS_COMBO_BOX(w)) control.kind = "list";
        else if (GTK_IS_FRAME(w)) control.kind = "frame", text = gtk_frame_get_label(GTK_FRAME(w));
        else if (GTK_IS_LABEL(w)) text = gtk_label_get_text(GTK_LABEL(w));
        else if (GTK_IS_SCROLLBAR(w)) control.kind = "scroll";
        else if (GTK_IS_DRAWING_AREA(w)) control.kind = "drawing";
        control.text = text ? text : "";
        visit(&control, user);
    }
    g_list_free(children);
}

const char* platformDialogTitle(PlatformDialog* d) { return gtk_window_get_title(d->window); }

void platformDialogFlush() { flushEvents(); }

bool platformDialogRenderControl(PlatformDialog* d, int id, unsigned char* rgb, int capacity, int* width,
                                 int* height) {
    GtkWidget* w = control(d, id);
    if (!w) return false;
    flushEvents();
    gtk_widget_get_size_request(w, width, height);
    if (*width <= 0 || *height <= 0 || *width * *height * 3 > capacity) return false;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, *width, *height);
    cairo_t* cairo = cairo_create(surface);
    cairo_set_source_rgb(cairo, 1, 1, 1);
    cairo_paint(cairo);
    gtk_widget_draw(w, cairo);
    cairo_destroy(cairo);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < *height; ++y)
        for (int x = 0; x < *width; ++x) {
            uint32_t pixel;
            std::memcpy(&pixel, data + y * stride + 4 * x, 4);
            unsigned char* out = rgb + 3 * (y * *width + x);
            out[0] = uint8_t(pixel >> 16);
            out[1] = uint8_t(pixel >> 8);
            out[2] = uint8_t(pixel);
        }
    cairo_surface_destroy(surface);
    return true;
}

void platformSetDialogWatcher(bool (*watch)(const char*, const char*)) { gWatcher = watch; }
