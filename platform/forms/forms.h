#pragma once
// The forms run time: program-wide windows built from window definitions on Qt Widgets,
// their standard controls, and event delivery to handlers named after control and event
// ("ww1_Click", "Text1_Change", "Timer1_Timer", "Form_Load").

#include "platform/host/picture.h"
#include "platform/host/user_control.h"
#include "platform/host/window.h"
#include "platform/window_definition.h"

#include <QAction>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QTimer;

namespace platform::forms {

class Form;
class FormWidget;

// The application object.
struct App {
    std::string Title = "Velmora";
    int16_t Major = 2;
    int16_t Minor = 0;
    int16_t Revision = 0;
    HINSTANCE hInstance = 0x00400000;
};

// What every control of a window has.
class Control {
public:
    // `window`: the control's own window when it has one already (a custom control's host);
    // otherwise the control gets a new one.
    Control(Form& form, const ControlDefinition& definition, HWND window = 0);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return m_name; }
    Form& form() const { return m_form; }
    HWND hWnd() const { return m_window; }
    QWidget* widget() const { return m_widget; }
    bool Visible() const;
    void set_Visible(bool visible);
    const std::string& ToolTipText() const { return m_tooltip; }
    void set_ToolTipText(std::string text);
    // The control's place in the window's tab order; -1 for one that has none.
    int32_t TabIndex() const { return m_tab_index; }

protected:
    // Places the widget by the definition's twips and gives it the common look.
    void attach(QWidget* widget, const ControlDefinition& definition);
    void raise(std::string_view event);

    Form& m_form;
    std::string m_name;
    HWND m_window;
    bool m_owns_window;
    QPointer<QWidget> m_widget;
    std::string m_tooltip;
    int32_t m_tab_index;
};

class TextBox final : public Control {
public:
    TextBox(Form& form, const ControlDefinition& definition);
    std::string Text() const;
    void set_Text(const std::string& text);
    // In characters, as the user sees them.
    int32_t SelStart() const;
    void set_SelStart(int32_t start);
    int32_t SelLength() const;
    void set_SelLength(int32_t length);
    std::string SelText() const;
    // Replaces the selection, or inserts at the caret, which then follows the new text.
    void set_SelText(const std::string& text);
    bool multi_line() const { return m_multi_line; }

private:
    bool m_multi_line;
};

class Label final : public Control {
public:
    Label(Form& form, const ControlDefinition& definition);
    std::string Caption() const;
    void set_Caption(const std::string& caption);
};

class ImageArea final : public Control {
public:
    ImageArea(Form& form, const ControlDefinition& definition);
    const Picture& get_Picture() const { return m_picture; }
    // The empty picture blanks the area; an unstretched area takes the picture's size.
    void set_Picture(Picture picture);

private:
    Picture m_picture;
    bool m_stretch;
};

class OptionButton final : public Control {
public:
    OptionButton(Form& form, const ControlDefinition& definition);
    bool Value() const;
    void set_Value(bool value);
    std::string Caption() const;
};

class ComboBox final : public Control {
public:
    ComboBox(Form& form, const ControlDefinition& definition);
    std::string Text() const;
    void set_Text(const std::string& text);
};

class Line final : public Control {
public:
    Line(Form& form, const ControlDefinition& definition);
};

class Timer final : public Control {
public:
    Timer(Form& form, const ControlDefinition& definition);
    ~Timer() override;
    int32_t Interval() const;
    void set_Interval(int32_t ms);
    bool Enabled() const;
    void set_Enabled(bool enabled);
    void tick(); // what the run time does every Interval ms

private:
    QTimer* m_timer;
};

class MenuItem final : public Control {
public:
    MenuItem(Form& form, const ControlDefinition& definition, QAction* action);
    std::string Caption() const;
    bool is_separator() const;
    void click(); // as if the user chose it
    QAction* action() const { return m_action; }

private:
    QPointer<QAction> m_action;
};

// A custom control instance (the button control) on its host widget.
class UserControlHost final : public Control {
public:
    UserControlHost(Form& form, const ControlDefinition& definition, std::unique_ptr<UserControlHandlers> control,
                    UserControl& host);
    ~UserControlHost() override;
    UserControlHandlers& control() const { return *m_control; }
    UserControl& host() const { return m_host; }

private:
    std::unique_ptr<UserControlHandlers> m_control;
    UserControl& m_host;
};

// Makes a custom control of a kind named in window definitions from its definition;
// `host` receives the control's host object.
using UserControlFactory = std::function<std::unique_ptr<UserControlHandlers>(
    Form& form, const ControlDefinition& definition, UserControl*& host)>;

// The code of one window: created when the window loads and destroyed after it unloads;
// its constructor binds the handlers.
class FormCode {
public:
    virtual ~FormCode() = default;
};

class Forms;

class Form {
public:
    Form(Forms& forms, const WindowDefinition& definition);
    ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    const std::string& Name() const { return m_name; }
    std::string Caption() const;
    void set_Caption(const std::string& caption);
    HWND hWnd() const { return m_window; }
    bool Visible() const;
    void Show();
    void Hide();
    // Runs Form_Unload; unless it cancels, the window and its controls go. The caller
    // (even a handler of this window) goes on; the instance is freed later.
    bool Unload();
    bool unloaded() const { return m_unloaded; }

    TextBox& text(std::string_view name);
    Label& label(std::string_view name);
    ImageArea& image(std::string_view name);
    OptionButton& option(std::string_view name);
    ComboBox& combo(std::string_view name);
    Timer& timer(std::string_view name);
    MenuItem& menu(std::string_view name);
    UserControlHost& user_control(std::string_view name);
    template <typename T>
    T& custom(std::string_view name)
    {
        return dynamic_cast<T&>(user_control(name).control());
    }
    const std::vector<std::unique_ptr<Control>>& controls() const { return m_controls; }

    // Handlers by control and event name.
    void on(std::string name, std::function<void()> handler);
    void on_unload(std::function<void(int16_t& Cancel)> handler);
    void raise(std::string_view handler_name);

    FormWidget* widget() const { return m_widget.get(); }
    Forms& forms() const { return m_forms; }

private:
    friend class Forms;
    template <typename T>
    T& find(std::string_view name);
    void build(const WindowDefinition& definition);
    void build_menu(const ControlDefinition& definition, void* parent_menu);
    void order_tabs();

    Forms& m_forms;
    std::string m_name;
    HWND m_window;
    std::unique_ptr<FormWidget> m_widget;
    std::vector<std::unique_ptr<Control>> m_controls; // after the widget: they go first
    std::map<std::string, std::function<void()>, std::less<>> m_handlers;
    std::function<void(int16_t&)> m_unload_handler;
    std::unique_ptr<FormCode> m_code;
    bool m_unloaded = false;
    bool m_unloading = false;
    bool m_loading = false;
    bool m_show_after_load = false;
};

// Answers a message box instead of showing it (tests); gets prompt, flags and title.
using MessageBoxHook = std::function<int(const std::string& prompt, int flags, const std::string& title)>;

inline constexpr int vbCritical = 16;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbInformation = 64;
inline constexpr int vbMsgBoxSetForeground = 65536;

// The program's windows: each one instance, made from its definition on first use.
class Forms {
public:
    using CodeFactory = std::function<std::unique_ptr<FormCode>(Form&)>;
    using DefinitionSource = std::function<WindowDefinition()>;

    Forms();
    ~Forms();

    void add(std::string name, WindowDefinition definition, CodeFactory code);
    // A window whose definition is read each time it loads: none is parsed before its window
    // is wanted, nor kept while it is not loaded.
    void add(std::string name, DefinitionSource definition, CodeFactory code);
    void add_control_kind(std::string kind, UserControlFactory factory);
    // Loads the window (running Form_Load) when it is not loaded.
    Form& operator[](std::string_view name);
    bool is_loaded(std::string_view name) const;
    // When the main window unloads, every other window goes too and the program ends.
    void set_main(std::string name) { m_main = std::move(name); }
    void set_on_main_unloaded(std::function<void()> callback) { m_on_main_unloaded = std::move(callback); }

    App app;
    int MsgBox(const std::string& prompt, int flags, const std::string& title);
    void set_message_box_hook(MessageBoxHook hook) { m_message_box_hook = std::move(hook); }
    // Frees the windows unloaded since the last call (the run time calls it when idle).
    void collect();

    const UserControlFactory* control_kind(std::string_view kind) const;

private:
    friend class Form;
    void unloaded(Form& form);

    struct Entry {
        DefinitionSource definition;
        CodeFactory code;
        std::unique_ptr<Form> loaded;
    };
    std::map<std::string, Entry, std::less<>> m_entries;
    std::map<std::string, UserControlFactory, std::less<>> m_control_kinds;
    std::vector<std::unique_ptr<Form>> m_graveyard;
    // Owns the deferred collection, so none outlives the run time.
    std::unique_ptr<QObject> m_context;
    std::string m_main;
    bool m_ended = false; // the main window has gone
    std::function<void()> m_on_main_unloaded;
    MessageBoxHook m_message_box_hook;
};

// Decodes a picture file by its content; a missing file or unknown content fails with a
// run-time error. Without a path: the empty picture.
Picture LoadPicture(const std::string& path = {});
// An embedded picture of the window definitions (":/pictures/NAME"), or none.
Picture embedded_picture(const std::string& name);
// The same, decoded on a thread of its own meanwhile.
std::future<Picture> embedded_picture_later(const std::string& name);

} // namespace platform::forms
