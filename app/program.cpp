#include "app/program.h"

#include "app/button_code_window.h"
#include "app/information_window.h"
#include "app/ip_button_window.h"
#include "app/main_window.h"
#include "app/screenshot_window.h"
#include "app/search_window.h"
#include "app/splash_window.h"
#include "app/userbar_window.h"
#include "button/ww.h"
#include "button/ww_persist.h"
#include "platform/host/property_bag.h"

#include <QFile>

namespace app {

using platform::forms::Form;
using platform::forms::FormCode;

namespace {

QString resource_of(const std::string& name)
{
    return QStringLiteral(":/windows/%1.window").arg(QString::fromStdString(name));
}

} // namespace

platform::WindowDefinition embedded_definition(const std::string& name)
{
    QFile file(resource_of(name));
    if (!file.open(QIODevice::ReadOnly))
        throw platform::DefinitionError("no window definition for " + name);
    const QByteArray bytes = file.readAll();
    return platform::parse_window_definition(std::string_view(bytes.constData(), size_t(bytes.size())));
}

namespace {

// A window's definition, parsed each time the window loads. A definition missing from the
// program fails at start, as before anything shows.
platform::forms::Forms::DefinitionSource embedded(const std::string& name)
{
    if (!QFile::exists(resource_of(name)))
        throw platform::DefinitionError("no window definition for " + name);
    return [name] { return embedded_definition(name); };
}

template <typename Code>
platform::forms::Forms::CodeFactory code_of()
{
    return [](Form& form) -> std::unique_ptr<FormCode> { return std::make_unique<Code>(form); };
}

// A button instance: sized by the definition, then filled from its saved property set.
std::unique_ptr<platform::UserControlHandlers> make_button(Form& form, const platform::ControlDefinition& d,
                                                           platform::UserControl*& host)
{
    auto button = std::make_unique<button::ww>(d.name);
    host = &button->UserControl;
    button->UserControl.set_Width(float(d.integer("Width", 1200)));
    button->UserControl.set_Height(float(d.integer("Height", 500)));
    const std::vector<uint8_t>* stored = d.bytes("PropertySet");
    if (stored && !stored->empty()) {
        platform::PropertyBag bag = platform::PropertyBag::from_stored(*stored);
        button::read_instance_set(*button, bag);
    } else {
        button->UserControl_InitProperties();
    }
    const std::string click = d.name + "_Click";
    button->events.Click = [&form, click] { form.raise(click); };
    return button;
}

} // namespace

void register_program(platform::forms::Forms& forms)
{
    forms.add_control_kind("ww", make_button);
    forms.add("Form8", embedded("Form8"), code_of<SplashWindow>());
    forms.add("Form1", embedded("Form1"), code_of<MainWindow>());
    forms.add("Form2", embedded("Form2"), code_of<ButtonCodeWindow>());
    forms.add("Form3", embedded("Form3"), code_of<ScreenshotWindow>());
    forms.add("Form4", embedded("Form4"), code_of<InformationWindow>());
    forms.add("Form5", embedded("Form5"), code_of<UserbarWindow>());
    forms.add("Form6", embedded("Form6"), code_of<IpButtonWindow>());
    forms.add("Form7", embedded("Form7"), code_of<SearchWindow>());
    forms.set_main("Form1");
}

} // namespace app
