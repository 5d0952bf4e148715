// The options sheet and its error-report form as GTK windows: four tabs of controls, a
// close button and a status line. The window only shows and reads CsheetControls; what the
// controls mean is the sheet logic's (CsheetActions).
#include <gtk/gtk.h>

#include <memory>

#include "host/gtkHost.h"
#include "host/gtkWindows.h"

namespace {

// Plain texts of the controls the interface text file does not name.
constexpr char const* kBackupsTitle = "Setting Backups...";
constexpr char const* kFishChooserTitle = "Online Fish Chooser...";
constexpr char const* kGrabTankTitle = "Get My Online Tank Configuration";
constexpr char const* kErrorReportTitle = "Send an Error Report...";
constexpr char const* kUseAllScreensTitle = "Use All Screens";
constexpr char const* kAutoCheckTitle = "Check for updates automatically:";

class CgtkSheetWindow;

struct CbuttonLink {
    CgtkSheetWindow* window;
    CsheetButton which;
};

class CgtkSheetWindow : public CsheetWindow {
  public:
    explicit CgtkSheetWindow(CsheetActions& a) : actions(a) { build(); }
    ~CgtkSheetWindow() override {
        if (shownSheetWindow == GTK_WINDOW(window)) shownSheetWindow = nullptr;
        gtk_widget_destroy(form);
        gtk_widget_destroy(window);
    }

    void showControls(CsheetControls const& c) override;
    void readControls(CsheetControls& c) override;
    bool present() override {
        gtk_widget_show_all(window);
        keepOverAquarium(GTK_WINDOW(window));
        gtk_window_present(GTK_WINDOW(window));
        shownSheetWindow = GTK_WINDOW(window);
        return true;
    }
    void orderOut() override {
        gtk_widget_hide(form);
        gtk_widget_hide(window);
        if (shownSheetWindow == GTK_WINDOW(window)) shownSheetWindow = nullptr;
    }
    bool isShown() const override { return gtk_widget_get_visible(window); }
    void showErrorReportForm() override {
        gtk_widget_show_all(form);
        gtk_window_present(GTK_WINDOW(form));
    }
    void hideErrorReportForm() override { gtk_widget_hide(form); }

  private:
    void build();
    GtkWidget* tab(int index, GtkWidget* page);
    GtkWidget* label(CsheetText which, bool wrap);
    GtkWidget* button(CsheetButton which, CsheetText text);
    GtkWidget* button(CsheetButton which, char const* title);
    void buildForm();

    static void onButton(GtkButton*, gpointer link) {
        auto* l = static_cast<CbuttonLink*>(link);
        l->window->actions.buttonClicked(l->which);
    }
    static void onChange(GtkWidget*, gpointer self) {
        auto* w = static_cast<CgtkSheetWindow*>(self);
        if (!w->pushing) w->actions.settingChanged();
    }
    static gboolean onFocusOut(GtkWidget* widget, GdkEvent*, gpointer self) {
        onChange(widget, self);
        return FALSE;
    }
    static void onSaveChanges(GtkWidget*, gpointer self) {
        auto* w = static_cast<CgtkSheetWindow*>(self);
        if (!w->pushing) w->actions.saveChangesClicked();
    }
    static void onAllScreens(GtkWidget*, gpointer self) {
        auto* w = static_cast<CgtkSheetWindow*>(self);
        if (!w->pushing) w->actions.useAllScreensClicked();
    }
    static void onClose(GtkWidget*, gpointer self) {
        static_cast<CgtkSheetWindow*>(self)->actions.closeClicked();
    }
    static gboolean onDelete(GtkWidget* widget, GdkEvent*, gpointer self) {
        onClose(widget, self);
        return TRUE; // the sheet hides itself; it is not destroyed
    }
    static void onSend(GtkWidget*, gpointer self) {
        static_cast<CgtkSheetWindow*>(self)->actions.sendErrorReport();
    }
    static void onCancelForm(GtkWidget*, gpointer self) {
        static_cast<CgtkSheetWindow*>(self)->hideErrorReportForm();
    }
    static gboolean onDeleteForm(GtkWidget* widget, GdkEvent*, gpointer self) {
        onCancelForm(widget, self);
        return TRUE;
    }

    CsheetActions& actions;
    bool pushing = false; // controls are being set from the record: no change reports
    GtkWidget* window = nullptr;
    GtkWidget* notebook = nullptr;
    GtkWidget* texts[kSheetTextCount] = {};
    GtkWidget* versionTitle = nullptr;
    GtkWidget* maxFish = nullptr;
    GtkWidget* slider = nullptr;
    GtkWidget* percent = nullptr;
    GtkWidget* saveBox = nullptr;
    GtkWidget* betaBox = nullptr;
    GtkWidget* allScreensBox = nullptr;
    GtkWidget* updateCombo = nullptr;
    GtkWidget* status = nullptr;
    GtkWidget* form = nullptr;
    GtkWidget* email = nullptr;
    GtkWidget* description = nullptr;
    CbuttonLink links[kSheetButtonCount] = {};
};

GtkWidget* page() {
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 10);
    gtk_container_set_border_width(GTK_CONTAINER(box), 16);
    return box;
}

void add(GtkWidget* box, GtkWidget* child) {
    gtk_box_pack_start(GTK_BOX(box), child, FALSE, FALSE, 0);
}

// A row of a control and the text that explains it (which takes the room left when wide).
GtkWidget* row(GtkWidget* first, GtkWidget* second, bool wide = true) {
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_box_pack_start(GTK_BOX(box), first, FALSE, FALSE, 0);
    if (second) gtk_box_pack_start(GTK_BOX(box), second, wide, wide, 0);
    return box;
}

GtkWidget* CgtkSheetWindow::tab(int index, GtkWidget* content) {
    CsheetText which = index == 0 ? kTab0 : index == 1 ? kTab1 : index == 2 ? kTab2 : kTab3;
    texts[which] = gtk_label_new(kSheetTextKeys[which]);
    gtk_notebook_append_page(GTK_NOTEBOOK(notebook), content, texts[which]);
    return content;
}

GtkWidget* CgtkSheetWindow::label(CsheetText which, bool wrap) {
    GtkWidget* l = gtk_label_new(kSheetTextKeys[which]);
    gtk_label_set_xalign(GTK_LABEL(l), 0.0f);
    if (wrap) {
        gtk_label_set_line_wrap(GTK_LABEL(l), TRUE);
        gtk_label_set_max_width_chars(GTK_LABEL(l), 60);
    }
    texts[which] = l;
    return l;
}

GtkWidget* CgtkSheetWindow::button(CsheetButton which, CsheetText text) {
    GtkWidget* b = button(which, kSheetTextKeys[text]);
    texts[text] = b;
    return b;
}

GtkWidget* CgtkSheetWindow::button(CsheetButton which, char const* title) {
    GtkWidget* b = gtk_button_new_with_label(title);
    gtk_widget_set_valign(b, GTK_ALIGN_START);
    links[which] = {this, which};
    g_signal_connect(b, "clicked", G_CALLBACK(onButton), &links[which]);
    return b;
}

void CgtkSheetWindow::build() {
    window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(window), "Velmora Settings");
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
    gtk_window_set_default_size(GTK_WINDOW(window), 560, 420);
    g_signal_connect(window, "delete-event", G_CALLBACK(onDelete), this);
    GtkWidget* outer = gtk_box_new(GTK_ORIENTATION_VERTICAL, 8);
    gtk_container_set_border_width(GTK_CONTAINER(outer), 10);
    notebook = gtk_notebook_new();
    gtk_box_pack_start(GTK_BOX(outer), notebook, TRUE, TRUE, 0);

    GtkWidget* welcome = tab(0, page());
    versionTitle = gtk_label_new("");
    gtk_label_set_xalign(GTK_LABEL(versionTitle), 0.0f);
    add(welcome, label(kWelcomeTitleText, true));
    add(welcome, versionTitle);
    add(welcome, row(button(kVisitWebsite, kVisitWebsiteButton), nullptr));
    add(welcome, row(button(kCheckForUpdate, kCheckForUpdateButton), nullptr));

    GtkWidget* settings = tab(1, page());
    add(settings, label(kSettingsMainDescription, true));
    maxFish = gtk_entry_new();
    gtk_entry_set_width_chars(GTK_ENTRY(maxFish), 5);
    g_signal_connect(maxFish, "activate", G_CALLBACK(onChange), this);
    g_signal_connect(maxFish, "focus-out-event", G_CALLBACK(onFocusOut), this);
    add(settings, row(label(kMaxFishPerTankText, false), maxFish, false));
    slider = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, kSizeSliderMin, kSizeSliderMax, 1.0);
    gtk_scale_set_draw_value(GTK_SCALE(slider), FALSE);
    gtk_widget_set_size_request(slider, 220, -1);
    g_signal_connect(slider, "value-changed", G_CALLBACK(onChange), this);
    percent = gtk_label_new("");
    GtkWidget* sizeRow = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    gtk_box_pack_start(GTK_BOX(sizeRow), label(kGlobalFishSizeText, false), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(sizeRow), label(kFishSizeSmallerText, false), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(sizeRow), slider, TRUE, TRUE, 0);
    gtk_box_pack_start(GTK_BOX(sizeRow), label(kFishSizeLargerText, false), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(sizeRow), percent, FALSE, FALSE, 0);
    add(settings, sizeRow);
    saveBox = gtk_check_button_new_with_label(kSheetTextKeys[kSaveTankChangesCheckbox]);
    texts[kSaveTankChangesCheckbox] = saveBox;
    g_signal_connect(saveBox, "toggled", G_CALLBACK(onSaveChanges), this);
    add(settings, saveBox);
    add(settings, label(kSaveChangesDescriptionText, true));
    allScreensBox = gtk_check_button_new_with_label(kUseAllScreensTitle);
    g_signal_connect(allScreensBox, "toggled", G_CALLBACK(onAllScreens), this);
    add(settings, allScreensBox);
    GtkWidget* settingButtons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    add(settingButtons, button(kSettingBackups, kBackupsTitle));
    add(settingButtons, button(kOnlineFishChooser, kFishChooserTitle));
    add(settingButtons, button(kGrabOnlineTankConfiguration, kGrabTankTitle));
    add(settings, settingButtons);

    GtkWidget* updates = tab(2, page());
    add(updates, row(button(kCheckForUpdate2, kCheckForUpdateButton2), nullptr));
    updateCombo = gtk_combo_box_text_new();
    g_signal_connect(updateCombo, "changed", G_CALLBACK(onChange), this);
    GtkWidget* autoText = gtk_label_new(kAutoCheckTitle);
    add(updates, row(autoText, updateCombo, false));
    betaBox = gtk_check_button_new_with_label(kSheetTextKeys[kInformBeta]);
    texts[kInformBeta] = betaBox;
    g_signal_connect(betaBox, "toggled", G_CALLBACK(onChange), this);
    add(updates, betaBox);
    add(updates, row(button(kBetaEmailSignup, kBetaEmail), nullptr));

    GtkWidget* support = tab(3, page());
    add(support, label(kSupportMainDescription, true));
    add(support, row(button(kNeedHelp, kNeedHelpButton), label(kSupportHelpButtonDescription, true)));
    add(support, row(button(kRevealSettingsFolder, kRevealSettingsButton),
                     label(kSupportRevealSettingsButtonDescription, true)));
    add(support, row(button(kOpenErrorReport, kErrorReportTitle), nullptr));

    // Wrapped whole, and selectable: a note may name a folder to open by hand.
    status = gtk_label_new("");
    gtk_label_set_xalign(GTK_LABEL(status), 0.0f);
    gtk_label_set_line_wrap(GTK_LABEL(status), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(status), PANGO_WRAP_WORD_CHAR);
    gtk_label_set_max_width_chars(GTK_LABEL(status), 60);
    gtk_label_set_selectable(GTK_LABEL(status), TRUE);
    gtk_widget_set_can_focus(status, FALSE); // not a stop of the Tab key
    GtkWidget* close = gtk_button_new_with_label(kSheetTextKeys[kCloseButton]);
    texts[kCloseButton] = close;
    g_signal_connect(close, "clicked", G_CALLBACK(onClose), this);
    GtkWidget* bottom = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    gtk_box_pack_start(GTK_BOX(bottom), status, TRUE, TRUE, 0);
    gtk_box_pack_end(GTK_BOX(bottom), close, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(outer), bottom, FALSE, FALSE, 0);
    gtk_container_add(GTK_CONTAINER(window), outer);
    buildForm();
}

void CgtkSheetWindow::buildForm() {
    form = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(form), "Send an Error Report");
    gtk_window_set_transient_for(GTK_WINDOW(form), GTK_WINDOW(window));
    gtk_window_set_modal(GTK_WINDOW(form), TRUE);
    gtk_window_set_default_size(GTK_WINDOW(form), 420, 300);
    g_signal_connect(form, "delete-event", G_CALLBACK(onDeleteForm), this);
    GtkWidget* box = page();
    GtkWidget* intro = gtk_label_new("Tell us what went wrong. The report goes with the program's logs.");
    gtk_label_set_line_wrap(GTK_LABEL(intro), TRUE);
    gtk_label_set_xalign(GTK_LABEL(intro), 0.0f);
    add(box, intro);
    email = gtk_entry_new();
    gtk_entry_set_placeholder_text(GTK_ENTRY(email), "you@example.org");
    add(box, row(gtk_label_new("Your e-mail:"), email));
    add(box, gtk_label_new("What happened:"));
    description = gtk_text_view_new();
    gtk_text_view_set_wrap_mode(GTK_TEXT_VIEW(description), GTK_WRAP_WORD_CHAR);
    GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
    gtk_container_add(GTK_CONTAINER(scroll), description);
    gtk_box_pack_start(GTK_BOX(box), scroll, TRUE, TRUE, 0);
    GtkWidget* ok = gtk_button_new_with_label("Send");
    GtkWidget* cancel = gtk_button_new_with_label("Cancel");
    g_signal_connect(ok, "clicked", G_CALLBACK(onSend), this);
    g_signal_connect(cancel, "clicked", G_CALLBACK(onCancelForm), this);
    GtkWidget* buttons = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 8);
    gtk_box_pack_end(GTK_BOX(buttons), ok, FALSE, FALSE, 0);
    gtk_box_pack_end(GTK_BOX(buttons), cancel, FALSE, FALSE, 0);
    add(box, buttons);
    gtk_container_add(GTK_CONTAINER(form), box);
}

void setText(GtkWidget* widget, char const* text) {
    if (GTK_IS_LABEL(widget))
        gtk_label_set_text(GTK_LABEL(widget), text);
    else if (GTK_IS_BUTTON(widget))
        gtk_button_set_label(GTK_BUTTON(widget), text);
}

void CgtkSheetWindow::showControls(CsheetControls const& c) {
    pushing = true;
    for (int i = 0; i < kSheetTextCount; i++)
        if (texts[i]) setText(texts[i], c.texts[i].c_str());
    gtk_label_set_text(GTK_LABEL(versionTitle), c.versionTitle.c_str());
    gtk_entry_set_text(GTK_ENTRY(maxFish), c.maxFishPerTank.c_str());
    gtk_range_set_value(GTK_RANGE(slider), c.sizeSlider);
    gtk_label_set_text(GTK_LABEL(percent), c.showSizePercent.c_str());
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(saveBox), c.saveTankChanges != 0);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(betaBox), c.informBeta != 0);
    gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(allScreensBox), c.useAllScreens != 0);
    gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(updateCombo));
    for (Cstring const& item : c.updateItems)
        gtk_combo_box_text_append_text(GTK_COMBO_BOX_TEXT(updateCombo), item.c_str());
    gtk_combo_box_set_active(GTK_COMBO_BOX(updateCombo), c.updateIndex);
    gtk_label_set_text(GTK_LABEL(status), c.statusLine.c_str());
    gtk_entry_set_text(GTK_ENTRY(email), c.email.c_str());
    gtk_text_buffer_set_text(gtk_text_view_get_buffer(GTK_TEXT_VIEW(description)), c.description.c_str(), -1);
    pushing = false;
}

void CgtkSheetWindow::readControls(CsheetControls& c) {
    c.maxFishPerTank = gtk_entry_get_text(GTK_ENTRY(maxFish));
    c.sizeSlider = gtk_range_get_value(GTK_RANGE(slider));
    c.saveTankChanges = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(saveBox)) ? 1 : 0;
    c.informBeta = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(betaBox)) ? 1 : 0;
    c.useAllScreens = gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(allScreensBox)) ? 1 : 0;
    c.updateIndex = gtk_combo_box_get_active(GTK_COMBO_BOX(updateCombo));
    gchar* shown = gtk_combo_box_text_get_active_text(GTK_COMBO_BOX_TEXT(updateCombo));
    c.updateValue = shown ? shown : "";
    g_free(shown);
    c.email = gtk_entry_get_text(GTK_ENTRY(email));
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(description));
    GtkTextIter start, end;
    gtk_text_buffer_get_bounds(buffer, &start, &end);
    gchar* text = gtk_text_buffer_get_text(buffer, &start, &end, FALSE);
    c.description = text ? text : "";
    g_free(text);
}

} // namespace

CsheetWindow* makeGtkSheetWindow(CsheetActions& actions) {
    return gtkReady() ? new CgtkSheetWindow(actions) : nullptr;
}
