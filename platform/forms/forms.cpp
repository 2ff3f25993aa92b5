// Windows made from their definitions, their life cycle, and event delivery by name.

#include "platform/forms/forms.h"

#include "platform/errors.h"
#include "platform/gdi/colour.h"
#include "platform/gdi/font_engine.h"
#include "platform/forms/download_wait.h"
#include "platform/forms/form_widget.h"
#include "platform/forms/menu_bar.h"
#include "platform/forms/shared_palettes.h"
#include "platform/forms/tooltip.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTranslator>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <algorithm>
#include <cmath>
#include <fstream>
#include <future>
#include <iterator>
#include <optional>
#include <utility>

namespace platform::forms {

namespace {

int pixels(double twips)
{
    return int(std::lround(twips / twips_per_pixel));
}

QString q(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

Qt::WindowFlags flags_of(const WindowDefinition& d)
{
    const int64_t border = d.integer("BorderStyle", 2);
    const bool control_box = d.boolean("ControlBox", true);
    if (border == 0 || (!control_box && d.text("Caption").empty()))
        return Qt::SplashScreen | Qt::FramelessWindowHint;
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (control_box)
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (control_box && d.boolean("MinButton", border == 2))
        flags |= Qt::WindowMinimizeButtonHint;
    if (control_box && d.boolean("MaxButton", border == 2))
        flags |= Qt::WindowMaximizeButtonHint;
    return flags;
}

// The texts Qt draws for us (a text box's menu, a message box's button) in the program's
// language whatever the desktop's, once per application. Without Qt's translations they
// stay in English.
void use_russian_texts()
{
    static QPointer<QTranslator> installed;
    QCoreApplication* application = QCoreApplication::instance();
    if (installed || !application)
        return;
    auto* translator = new QTranslator(application);
    if (translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)) &&
        QCoreApplication::installTranslator(translator))
        installed = translator;
    else
        delete translator;
}

// The embedded file's bytes, or nothing when there is none of that name.
std::optional<QByteArray> embedded_bytes(const std::string& name)
{
    QFile file(QStringLiteral(":/pictures/") + q(name));
    if (name.empty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

Picture decoded(const QByteArray& bytes)
{
    return StdPicture::from_bytes({reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())});
}

} // namespace

Picture embedded_picture(const std::string& name)
{
    const std::optional<QByteArray> bytes = embedded_bytes(name);
    return bytes ? decoded(*bytes) : nullptr;
}

std::future<Picture> embedded_picture_later(const std::string& name)
{
    std::optional<QByteArray> bytes = embedded_bytes(name);
    if (!bytes) {
        std::promise<Picture> none;
        none.set_value(nullptr);
        return none.get_future();
    }
    // Deferred, decoded when taken, where no thread can be had.
    return std::async(std::launch::async | std::launch::deferred,
                      [bytes = std::move(*bytes)] { return decoded(bytes); });
}

Picture LoadPicture(const std::string& path)
{
    if (path.empty())
        return nullptr;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        throw RuntimeError(53, "File not found: '" + path + "'");
    // One read of the whole file into a buffer neither zeroed first nor kept: a downloaded
    // picture may be megabytes.
    const std::streamoff size = in.tellg();
    const size_t length = size > 0 ? size_t(size) : 0;
    const std::unique_ptr<uint8_t[]> bytes(new uint8_t[length]);
    in.seekg(0);
    if (length > 0 && !in.read(reinterpret_cast<char*>(bytes.get()), std::streamsize(length)))
        throw RuntimeError(53, "File not found: '" + path + "'");
    Picture picture = StdPicture::loaded_from({bytes.get(), length});
    if (!picture)
        throw RuntimeError(ERR_INVALID_PICTURE, "Invalid picture");
    return picture;
}

Form::Form(Forms& forms, const WindowDefinition& definition)
    : m_forms(forms), m_name(definition.name), m_window(create_window()), m_widget(std::make_unique<FormWidget>())
{
    register_window_widget(m_window, m_widget.get());
    m_widget->setWindowFlags(flags_of(definition));
    m_widget->setWindowTitle(q(definition.text("Caption")));
    m_widget->set_client_size(pixels(double(definition.integer("ClientWidth", 4800))),
                              pixels(double(definition.integer("ClientHeight", 3600))));
    m_widget->move(pixels(double(definition.integer("ClientLeft"))), pixels(double(definition.integer("ClientTop"))));
    if (definition.find("BackColor")) {
        QPalette palette = m_widget->client()->palette();
        const COLORREF c = resolve_colour(OLE_COLOR(definition.integer("BackColor")));
        palette.setColor(QPalette::Window, QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
        m_widget->client()->setPalette(palette);
    }
    // The background, the largest picture, is decoded while the controls are made.
    std::future<Picture> background = embedded_picture_later(definition.picture("Picture"));
    if (Picture icon = embedded_picture(definition.picture("Icon")))
        m_widget->setWindowIcon(QIcon(QPixmap::fromImage(icon->image())));
    m_widget->set_close_handler([this] { return Unload(); });
    m_widget->set_shown_in_taskbar(definition.boolean("ShowInTaskbar", true));
    try {
        build(definition);
        order_tabs();
        m_widget->layout_client();
    } catch (...) {
        m_controls.clear();
        destroy_window(m_window);
        throw;
    }
    if (Picture picture = background.get())
        m_widget->set_background(picture->image());
}

Form::~Form()
{
    // Custom controls end before their widgets and the window go.
    m_code.reset();
    m_controls.clear();
    m_widget.reset();
    destroy_window(m_window);
}

void Form::build(const WindowDefinition& definition)
{
    bool control_font = false;
    for (const auto& d : definition.children) {
        if (d.kind == "textbox") {
            // A text box lays its text out as it is made, in the font it inherits: without the
            // controls' own, the desktop's font would be loaded just for that.
            if (!std::exchange(control_font, true))
                m_widget->client()->setFont(qt_font_for(StdFont {}));
            m_controls.push_back(std::make_unique<TextBox>(*this, d));
        }
        else if (d.kind == "label")
            m_controls.push_back(std::make_unique<Label>(*this, d));
        else if (d.kind == "image")
            m_controls.push_back(std::make_unique<ImageArea>(*this, d));
        else if (d.kind == "option")
            m_controls.push_back(std::make_unique<OptionButton>(*this, d));
        else if (d.kind == "combo")
            m_controls.push_back(std::make_unique<ComboBox>(*this, d));
        else if (d.kind == "line")
            m_controls.push_back(std::make_unique<Line>(*this, d));
        else if (d.kind == "timer")
            m_controls.push_back(std::make_unique<Timer>(*this, d));
        else if (d.kind == "menu")
            build_menu(d, nullptr);
        else if (const UserControlFactory* factory = m_forms.control_kind(d.kind)) {
            UserControl* host = nullptr;
            auto control = (*factory)(*this, d, host);
            if (!control || !host)
                throw DefinitionError("window " + m_name + ": control " + d.name + " could not be made");
            m_controls.push_back(std::make_unique<UserControlHost>(*this, d, std::move(control), *host));
        } else {
            throw DefinitionError("window " + m_name + ": unknown control kind '" + d.kind + "'");
        }
    }
}

void Form::order_tabs()
{
    std::vector<const Control*> placed;
    for (const auto& control : m_controls)
        if (control->TabIndex() >= 0 && control->widget())
            placed.push_back(control.get());
    // Equal places keep the definition's order.
    std::stable_sort(placed.begin(), placed.end(),
                     [](const Control* a, const Control* b) { return a->TabIndex() < b->TabIndex(); });
    std::vector<QPointer<QWidget>> order;
    for (const Control* control : placed)
        order.emplace_back(control->widget());
    m_widget->set_tab_order(std::move(order));
}

void Form::build_menu(const ControlDefinition& d, void* parent_menu)
{
    const QString caption = q(d.text("Caption"));
    QAction* action = nullptr;
    QMenuBar& bar = *m_widget->menu_bar();
    if (!parent_menu) {
        QMenu* menu = bar.addMenu(caption);
        use_menu_font(*menu, bar);
        action = menu->menuAction();
        for (const auto& child : d.children)
            build_menu(child, menu);
    } else {
        auto* parent = static_cast<QMenu*>(parent_menu);
        if (caption == QLatin1String("-")) {
            action = parent->addSeparator();
        } else if (!d.children.empty()) {
            QMenu* sub = parent->addMenu(caption);
            use_menu_font(*sub, bar);
            action = sub->menuAction();
            for (const auto& child : d.children)
                build_menu(child, sub);
        } else {
            action = parent->addAction(caption);
        }
    }
    action->setVisible(d.boolean("Visible", true));
    action->setEnabled(d.boolean("Enabled", true));
    // Only a leaf raises Click; a menu that opens a list raises nothing here.
    m_controls.push_back(std::make_unique<MenuItem>(*this, d, d.children.empty() && parent_menu ? action : nullptr));
}

std::string Form::Caption() const
{
    return m_widget->windowTitle().toStdString();
}

void Form::set_Caption(const std::string& caption)
{
    m_widget->setWindowTitle(q(caption));
}

bool Form::Visible() const
{
    return !m_unloaded && m_widget->isVisible();
}

void Form::Show()
{
    if (m_unloaded)
        return;
    // A window becomes visible only once its Form_Load has returned.
    if (m_loading) {
        m_show_after_load = true;
        return;
    }
    m_widget->show();
    m_widget->raise();
    m_widget->activateWindow();
}

void Form::Hide()
{
    m_widget->hide();
}

bool Form::Unload()
{
    if (m_unloaded)
        return true;
    if (m_unloading)
        return false;
    m_unloading = true;
    int16_t cancel = 0;
    if (m_unload_handler)
        m_unload_handler(cancel);
    m_unloading = false;
    if (cancel != 0)
        return false;
    m_unloaded = true;
    for (auto& control : m_controls) {
        if (auto* timer = dynamic_cast<Timer*>(control.get()))
            timer->set_Enabled(false);
        if (auto* custom = dynamic_cast<UserControlHost*>(control.get()))
            custom->host().raise_Terminate();
    }
    m_widget->close_without_asking();
    m_forms.unloaded(*this);
    return true;
}

template <typename T>
T& Form::find(std::string_view name)
{
    for (auto& control : m_controls)
        if (control->Name() == name)
            if (auto* typed = dynamic_cast<T*>(control.get()))
                return *typed;
    throw RuntimeError(340, "Control '" + std::string(name) + "' not found on " + m_name);
}

TextBox& Form::text(std::string_view name) { return find<TextBox>(name); }
Label& Form::label(std::string_view name) { return find<Label>(name); }
ImageArea& Form::image(std::string_view name) { return find<ImageArea>(name); }
OptionButton& Form::option(std::string_view name) { return find<OptionButton>(name); }
ComboBox& Form::combo(std::string_view name) { return find<ComboBox>(name); }
Timer& Form::timer(std::string_view name) { return find<Timer>(name); }
MenuItem& Form::menu(std::string_view name) { return find<MenuItem>(name); }
UserControlHost& Form::user_control(std::string_view name) { return find<UserControlHost>(name); }

void Form::on(std::string name, std::function<void()> handler)
{
    m_handlers[std::move(name)] = std::move(handler);
}

void Form::on_unload(std::function<void(int16_t& Cancel)> handler)
{
    m_unload_handler = std::move(handler);
}

void Form::raise(std::string_view handler_name)
{
    if (m_unloaded)
        return;
    // Whatever comes up while a handler's download waits runs after that handler.
    if (downloading()) {
        after_handler(m_widget.get(), [this, name = std::string(handler_name)] { raise(name); });
        return;
    }
    auto it = m_handlers.find(handler_name);
    if (it != m_handlers.end() && it->second)
        it->second();
}

Forms::Forms() : m_context(std::make_unique<QObject>())
{
    use_russian_texts();
    keep_windows_alive_in_downloads();
    use_shared_palettes();
}

Forms::~Forms()
{
    for (auto& [name, entry] : m_entries)
        entry.loaded.reset();
    m_graveyard.clear();
}

void Forms::add(std::string name, WindowDefinition definition, CodeFactory code)
{
    add(std::move(name), DefinitionSource([d = std::move(definition)] { return d; }), std::move(code));
}

void Forms::add(std::string name, DefinitionSource definition, CodeFactory code)
{
    m_entries[std::move(name)] = Entry {std::move(definition), std::move(code), nullptr};
}

void Forms::add_control_kind(std::string kind, UserControlFactory factory)
{
    m_control_kinds[std::move(kind)] = std::move(factory);
}

const UserControlFactory* Forms::control_kind(std::string_view kind) const
{
    auto it = m_control_kinds.find(kind);
    return it == m_control_kinds.end() ? nullptr : &it->second;
}

bool Forms::is_loaded(std::string_view name) const
{
    auto it = m_entries.find(name);
    return it != m_entries.end() && it->second.loaded && !it->second.loaded->unloaded();
}

Form& Forms::operator[](std::string_view name)
{
    auto it = m_entries.find(name);
    if (it == m_entries.end())
        throw RuntimeError(424, "No window named '" + std::string(name) + "'");
    Entry& entry = it->second;
    if (!entry.loaded) {
        entry.loaded = std::make_unique<Form>(*this, entry.definition());
        Form& form = *entry.loaded;
        if (m_ended) {
            // Nothing brings a window back once the main window has gone.
            form.Unload();
            return form;
        }
        if (entry.code)
            form.m_code = entry.code(form);
        form.m_loading = true;
        form.raise("Form_Load");
        form.m_loading = false;
        if (form.m_show_after_load && !form.unloaded())
            form.Show();
    }
    return *entry.loaded;
}

void Forms::unloaded(Form& form)
{
    auto it = m_entries.find(form.Name());
    if (it == m_entries.end() || it->second.loaded.get() != &form)
        return;
    m_graveyard.push_back(std::move(it->second.loaded));
    after_handler(m_context.get(), [this] { collect(); });
    if (form.Name() != m_main)
        return;
    // The main window took the program with it: the others go, and nothing brings it back.
    m_ended = true;
    for (auto& [name, entry] : m_entries)
        if (entry.loaded)
            entry.loaded->Unload();
    if (m_on_main_unloaded)
        m_on_main_unloaded();
}

void Forms::collect()
{
    if (m_graveyard.empty())
        return;
    m_graveyard.clear();
#ifdef __GLIBC__
    // A window's pictures and controls leave free pages among those still in use (the splash's,
    // about 200 KB): give them back to the system rather than keep them for a window that may
    // never come.
    malloc_trim(0);
#endif
}

int Forms::MsgBox(const std::string& prompt, int flags, const std::string& title)
{
    const std::string caption = title.empty() ? app.Title : title;
    if (m_message_box_hook)
        return m_message_box_hook(prompt, flags, caption);
    QMessageBox box;
    box.setText(q(prompt));
    box.setWindowTitle(q(caption));
    switch (flags & 0x70) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    if (flags & vbMsgBoxSetForeground) {
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.show();
        box.raise();
        box.activateWindow();
    }
    box.exec();
    return 1; // vbOK
}

} // namespace platform::forms
