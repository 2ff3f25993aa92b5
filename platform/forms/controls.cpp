// The standard controls of a window, each a thin face over its Qt widget.

#include "platform/forms/form_widget.h"
#include "platform/forms/forms.h"
#include "platform/forms/tooltip.h"
#include "platform/forms/user_control_widget.h"

#include "platform/gdi/colour.h"
#include "platform/gdi/font_engine.h"

#include <QAction>
#include <QButtonGroup>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTextBlock>
#include <QTimer>

#include <cmath>
#include <type_traits>
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

std::string utf8(const QString& text)
{
    return text.toStdString();
}

// A multi-line box's document splits lines at every carriage return, so each CR stands in
// it as an invisible unassigned character, one for one: the text reads back exactly as
// written (13, 13, 10 included), and positions in the document are positions in the text.
constexpr char16_t document_cr = u'\u2065';

QString to_document(const std::string& text)
{
    return q(text).replace(QChar(u'\r'), QChar(document_cr));
}

QString plain_text(QString document)
{
    return document.replace(QChar(document_cr), QChar(u'\r')).replace(QChar::ParagraphSeparator, QChar(u'\n'));
}

std::string from_document(const QString& document)
{
    return utf8(plain_text(document));
}

// The platform's click: the left button pressed over a control and released over it. The
// second press of a double-click is a double-click, not a click, unless the control counts
// it as one.
class ClickTracker {
public:
    explicit ClickTracker(bool double_click_counts) : m_double_click_counts(double_click_counts) {}

    void pressed(const QMouseEvent& event, bool double_click)
    {
        if (event.button() == Qt::LeftButton)
            m_armed = !double_click || m_double_click_counts;
    }
    // True when this release ends a click over `area`.
    bool released(const QMouseEvent& event, const QRect& area)
    {
        if (event.button() != Qt::LeftButton)
            return false;
        const bool armed = std::exchange(m_armed, false);
        // The pixel the pointer is on.
        const QPointF at = event.position();
        return armed && area.contains(QPoint(int(std::floor(at.x())), int(std::floor(at.y()))));
    }

private:
    bool m_double_click_counts;
    bool m_armed = false;
};

// Text boxes raise Click once the box has handled the release itself, so the selection a
// Click handler makes is the one that stays: Qt would otherwise turn a press inside the
// selection into a caret on release, or keep the word a double-click chose. Each click of a
// double-click counts, so a box whose Click selects all stays all selected however fast the
// user clicks.
template <typename Edit>
class ClickingEdit : public Edit {
public:
    ClickingEdit(QWidget* parent, std::function<void()> click) : Edit(parent), m_click(std::move(click)) {}

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        m_clicks.pressed(*event, false);
        Edit::mousePressEvent(event);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        m_clicks.pressed(*event, true);
        Edit::mouseDoubleClickEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        Edit::mouseReleaseEvent(event);
        if (m_clicks.released(*event, click_area()))
            m_click();
    }

private:
    // A scrolling box gets its mouse events in its viewport's coordinates.
    QRect click_area() const
    {
        if constexpr (std::is_base_of_v<QAbstractScrollArea, Edit>)
            return this->viewport()->rect();
        else
            return this->rect();
    }

    std::function<void()> m_click;
    ClickTracker m_clicks {true};
};

using LineEdit = ClickingEdit<QLineEdit>;

// The clipboard sees the text itself, its carriage returns included, both ways. Tab moves
// on to the next control, as in a one-line box.
class MultiLineEdit final : public ClickingEdit<QPlainTextEdit> {
public:
    MultiLineEdit(QWidget* parent, std::function<void()> click) : ClickingEdit(parent, std::move(click))
    {
        setTabChangesFocus(true);
    }

protected:
    QMimeData* createMimeDataFromSelection() const override
    {
        auto* data = new QMimeData;
        data->setText(plain_text(textCursor().selectedText()));
        return data;
    }
    void insertFromMimeData(const QMimeData* source) override
    {
        if (!source || !source->hasText())
            return;
        QTextCursor cursor = textCursor();
        cursor.insertText(source->text().replace(QChar(u'\r'), QChar(document_cr)));
        setTextCursor(cursor);
        ensureCursorVisible();
    }
};

QColor colour_of(int64_t ole)
{
    const COLORREF c = resolve_colour(OLE_COLOR(ole));
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

StdFont font_of(const ControlDefinition& d)
{
    StdFont font;
    font.name = d.text("FontName", "MS Sans Serif");
    font.size = d.number("FontSize", 8.25);
    font.set_bold(d.boolean("FontBold"));
    font.italic = d.boolean("FontItalic");
    font.underline = d.boolean("FontUnderline");
    font.charset = int16_t(d.integer("FontCharset", 0));
    return font;
}

// Raises a label's or an image area's Click; a double-click is one click.
class ClickWatcher final : public QObject {
public:
    ClickWatcher(QObject* parent, std::function<void()> click) : QObject(parent), m_click(std::move(click)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            m_clicks.pressed(*static_cast<QMouseEvent*>(event), event->type() == QEvent::MouseButtonDblClick);
            break;
        case QEvent::MouseButtonRelease:
            if (m_clicks.released(*static_cast<QMouseEvent*>(event), widget->rect()))
                m_click();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_click;
    ClickTracker m_clicks {false};
};

void watch_clicks(QWidget* widget, std::function<void()> click)
{
    widget->installEventFilter(new ClickWatcher(widget, std::move(click)));
}

class LineWidget final : public QWidget {
public:
    LineWidget(QWidget* parent, QLine line, QColor colour) : QWidget(parent), m_line(line), m_colour(colour)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(m_colour);
        painter.drawLine(m_line);
    }

private:
    QLine m_line;
    QColor m_colour;
};

} // namespace

Control::Control(Form& form, const ControlDefinition& definition, HWND window)
    : m_form(form), m_name(definition.name), m_window(window ? window : create_window()), m_owns_window(!window),
      m_tooltip(definition.text("ToolTipText")), m_tab_index(int32_t(definition.integer("TabIndex", -1)))
{
}

Control::~Control()
{
    if (m_owns_window)
        destroy_window(m_window);
    delete m_widget.data();
}

void Control::attach(QWidget* widget, const ControlDefinition& d)
{
    m_widget = widget;
    register_window_widget(m_window, widget);
    widget->setGeometry(pixels(double(d.integer("Left"))), pixels(double(d.integer("Top"))),
                        pixels(double(d.integer("Width"))), pixels(double(d.integer("Height"))));
    widget->setFont(qt_font_for(font_of(d)));
    if (!m_tooltip.empty())
        widget->setToolTip(q(m_tooltip));
    widget->setEnabled(d.boolean("Enabled", true));
    QPalette palette = widget->palette();
    if (d.find("BackColor")) {
        palette.setColor(QPalette::Base, colour_of(d.integer("BackColor")));
        palette.setColor(QPalette::Window, colour_of(d.integer("BackColor")));
    }
    if (d.find("ForeColor")) {
        palette.setColor(QPalette::Text, colour_of(d.integer("ForeColor")));
        palette.setColor(QPalette::WindowText, colour_of(d.integer("ForeColor")));
    }
    widget->setPalette(palette);
    // A custom pointer: the cursor of the mouse icon, with the icon's own hot spot.
    if (d.integer("MousePointer") == 99) {
        if (Picture icon = embedded_picture(d.picture("MouseIcon"))) {
            const POINT hot = icon->hot_spot();
            widget->setCursor(QCursor(QPixmap::fromImage(icon->image()), int(hot.x), int(hot.y)));
        }
    }
    widget->setVisible(d.boolean("Visible", true));
}

void Control::raise(std::string_view event)
{
    m_form.raise(m_name + "_" + std::string(event));
}

bool Control::Visible() const
{
    return m_widget && !m_widget->isHidden();
}

void Control::set_Visible(bool visible)
{
    if (m_widget)
        m_widget->setVisible(visible);
}

void Control::set_ToolTipText(std::string text)
{
    m_tooltip = std::move(text);
    if (m_widget)
        m_widget->setToolTip(q(m_tooltip));
}

TextBox::TextBox(Form& form, const ControlDefinition& d) : Control(form, d), m_multi_line(d.boolean("MultiLine"))
{
    QWidget* parent = form.widget()->client();
    if (m_multi_line) {
        auto* edit = new MultiLineEdit(parent, [this] { raise("Click"); });
        edit->setPlainText(to_document(d.text("Text")));
        edit->setVerticalScrollBarPolicy(d.integer("ScrollBars") & 2 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        edit->setHorizontalScrollBarPolicy(d.integer("ScrollBars") & 1 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        edit->setLineWrapMode(d.integer("ScrollBars") & 1 ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        edit->setReadOnly(d.boolean("Locked"));
        attach(edit, d);
        QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [this] { raise("Change"); });
    } else {
        auto* edit = new LineEdit(parent, [this] { raise("Click"); });
        edit->setText(q(d.text("Text")));
        edit->setCursorPosition(0);
        edit->setReadOnly(d.boolean("Locked"));
        edit->setFrame(d.integer("BorderStyle", 1) != 0);
        if (d.integer("Alignment") == 1)
            edit->setAlignment(Qt::AlignRight);
        else if (d.integer("Alignment") == 2)
            edit->setAlignment(Qt::AlignHCenter);
        attach(edit, d);
        QObject::connect(edit, &QLineEdit::textChanged, edit, [this] { raise("Change"); });
    }
}

std::string TextBox::Text() const
{
    if (m_multi_line)
        return from_document(static_cast<QPlainTextEdit*>(m_widget.data())->toPlainText());
    return utf8(static_cast<QLineEdit*>(m_widget.data())->text());
}

void TextBox::set_Text(const std::string& text)
{
    // The box shows the text from its beginning, the caret before it, until the user moves it.
    if (m_multi_line) {
        static_cast<QPlainTextEdit*>(m_widget.data())->setPlainText(to_document(text));
        return;
    }
    auto* edit = static_cast<QLineEdit*>(m_widget.data());
    edit->setText(q(text));
    edit->setCursorPosition(0);
}

int32_t TextBox::SelStart() const
{
    if (m_multi_line) {
        const QTextCursor cursor = static_cast<QPlainTextEdit*>(m_widget.data())->textCursor();
        return cursor.selectionStart();
    }
    auto* edit = static_cast<QLineEdit*>(m_widget.data());
    return edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
}

int32_t TextBox::SelLength() const
{
    if (m_multi_line) {
        const QTextCursor cursor = static_cast<QPlainTextEdit*>(m_widget.data())->textCursor();
        return cursor.selectionEnd() - cursor.selectionStart();
    }
    return int32_t(static_cast<QLineEdit*>(m_widget.data())->selectedText().size());
}

std::string TextBox::SelText() const
{
    if (m_multi_line)
        return from_document(static_cast<QPlainTextEdit*>(m_widget.data())->textCursor().selectedText());
    return utf8(static_cast<QLineEdit*>(m_widget.data())->selectedText());
}

void TextBox::set_SelStart(int32_t start)
{
    // Past the end goes to the end; the selection collapses to the caret.
    if (m_multi_line) {
        auto* edit = static_cast<QPlainTextEdit*>(m_widget.data());
        QTextCursor cursor = edit->textCursor();
        const int length = edit->document()->characterCount() - 1;
        cursor.setPosition(std::clamp(start, 0, length));
        edit->setTextCursor(cursor);
        return;
    }
    auto* edit = static_cast<QLineEdit*>(m_widget.data());
    edit->deselect();
    edit->setCursorPosition(std::clamp(start, 0, int32_t(edit->text().size())));
}

void TextBox::set_SelLength(int32_t length)
{
    const int32_t start = SelStart();
    if (m_multi_line) {
        auto* edit = static_cast<QPlainTextEdit*>(m_widget.data());
        QTextCursor cursor = edit->textCursor();
        const int end = edit->document()->characterCount() - 1;
        cursor.setPosition(start);
        cursor.setPosition(std::clamp(start + std::max(length, 0), start, end), QTextCursor::KeepAnchor);
        edit->setTextCursor(cursor);
        return;
    }
    auto* edit = static_cast<QLineEdit*>(m_widget.data());
    const int32_t end = std::clamp(start + std::max(length, 0), start, int32_t(edit->text().size()));
    edit->setSelection(start, end - start);
}

void TextBox::set_SelText(const std::string& text)
{
    if (m_multi_line) {
        auto* edit = static_cast<QPlainTextEdit*>(m_widget.data());
        QTextCursor cursor = edit->textCursor();
        cursor.insertText(to_document(text));
        edit->setTextCursor(cursor);
        return;
    }
    static_cast<QLineEdit*>(m_widget.data())->insert(q(text));
}

Label::Label(Form& form, const ControlDefinition& d) : Control(form, d)
{
    auto* label = new QLabel(q(d.text("Caption")), form.widget()->client());
    label->setWordWrap(d.boolean("WordWrap") || d.integer("Height") > 2 * 255);
    const int64_t alignment = d.integer("Alignment");
    label->setAlignment((alignment == 1 ? Qt::AlignRight : alignment == 2 ? Qt::AlignHCenter : Qt::AlignLeft) |
                        Qt::AlignTop);
    label->setAutoFillBackground(d.integer("BackStyle", 1) == 1);
    label->setTextFormat(Qt::PlainText);
    attach(label, d);
    watch_clicks(label, [this] { raise("Click"); });
}

std::string Label::Caption() const
{
    return utf8(static_cast<QLabel*>(m_widget.data())->text());
}

void Label::set_Caption(const std::string& caption)
{
    static_cast<QLabel*>(m_widget.data())->setText(q(caption));
}

ImageArea::ImageArea(Form& form, const ControlDefinition& d) : Control(form, d), m_stretch(d.boolean("Stretch"))
{
    auto* label = new QLabel(form.widget()->client());
    label->setScaledContents(m_stretch);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    attach(label, d);
    watch_clicks(label, [this] { raise("Click"); });
    set_Picture(embedded_picture(d.picture("Picture")));
}

void ImageArea::set_Picture(Picture picture)
{
    m_picture = std::move(picture);
    auto* label = static_cast<QLabel*>(m_widget.data());
    if (!m_picture) {
        label->clear();
        return;
    }
    // A stretched area shows the icon image nearest its own size.
    const QImage& image = m_stretch ? m_picture->image_for(label->width(), label->height()) : m_picture->image();
    label->setPixmap(QPixmap::fromImage(image));
    if (!m_stretch)
        label->resize(image.size());
}

OptionButton::OptionButton(Form& form, const ControlDefinition& d) : Control(form, d)
{
    auto* button = new QRadioButton(q(d.text("Caption")), form.widget()->client());
    attach(button, d);
    // One group per window: the run time's group is the client area's.
    auto* group = form.widget()->client()->findChild<QButtonGroup*>(QString(), Qt::FindDirectChildrenOnly);
    if (!group)
        group = new QButtonGroup(form.widget()->client());
    group->addButton(button);
    button->setChecked(d.boolean("Value"));
    // Click: when the code turns it on, and on every click of the user, also on an option
    // already chosen (a user's click turns it on first, which must not count twice).
    auto clicking = std::make_shared<bool>(false);
    QObject::connect(button, &QRadioButton::pressed, button, [clicking] { *clicking = true; });
    QObject::connect(button, &QRadioButton::toggled, button, [this, clicking](bool on) {
        if (on && !*clicking)
            raise("Click");
    });
    QObject::connect(button, &QRadioButton::clicked, button, [this, clicking] {
        *clicking = false;
        raise("Click");
    });
    QObject::connect(button, &QRadioButton::released, button, [clicking] { *clicking = false; });
}

bool OptionButton::Value() const
{
    return static_cast<QRadioButton*>(m_widget.data())->isChecked();
}

void OptionButton::set_Value(bool value)
{
    static_cast<QRadioButton*>(m_widget.data())->setChecked(value);
}

std::string OptionButton::Caption() const
{
    return utf8(static_cast<QRadioButton*>(m_widget.data())->text());
}

ComboBox::ComboBox(Form& form, const ControlDefinition& d) : Control(form, d)
{
    auto* combo = new QComboBox(form.widget()->client());
    combo->setEditable(true);
    // The edit field keeps what is typed, letter case and all, and the list stays the
    // definition's: no completion, and Enter adds nothing.
    combo->setCompleter(nullptr);
    combo->setInsertPolicy(QComboBox::NoInsert);
    for (const auto& [key, value] : d.properties)
        if (key == "Item" && value.kind == DefinitionValue::Kind::Text)
            combo->addItem(q(value.text));
    combo->setEditText(q(d.text("Text")));
    attach(combo, d);
}

std::string ComboBox::Text() const
{
    return utf8(static_cast<QComboBox*>(m_widget.data())->currentText());
}

void ComboBox::set_Text(const std::string& text)
{
    static_cast<QComboBox*>(m_widget.data())->setEditText(q(text));
}

Line::Line(Form& form, const ControlDefinition& d) : Control(form, d)
{
    const int x1 = pixels(double(d.integer("X1"))), y1 = pixels(double(d.integer("Y1")));
    const int x2 = pixels(double(d.integer("X2"))), y2 = pixels(double(d.integer("Y2")));
    const QRect box = QRect(QPoint(x1, y1), QPoint(x2, y2)).normalized();
    auto* widget = new LineWidget(form.widget()->client(), QLine(x1 - box.x(), y1 - box.y(), x2 - box.x(), y2 - box.y()),
                                  colour_of(d.integer("BorderColor", 0x80000008)));
    m_widget = widget;
    widget->setGeometry(box.adjusted(0, 0, 1, 1));
    widget->setVisible(d.boolean("Visible", true));
}

Timer::Timer(Form& form, const ControlDefinition& d) : Control(form, d), m_timer(new QTimer)
{
    // Precise: a coarse timer may fire up to 5% early or late.
    m_timer->setTimerType(Qt::PreciseTimer);
    m_timer->setInterval(int(d.integer("Interval")));
    QObject::connect(m_timer, &QTimer::timeout, m_timer, [this] { tick(); });
    if (d.boolean("Enabled", true) && m_timer->interval() > 0)
        m_timer->start();
}

Timer::~Timer()
{
    delete m_timer;
}

int32_t Timer::Interval() const
{
    return m_timer->interval();
}

void Timer::set_Interval(int32_t ms)
{
    m_timer->setInterval(std::max(ms, 0));
    if (ms <= 0)
        m_timer->stop();
}

bool Timer::Enabled() const
{
    return m_timer->isActive();
}

void Timer::set_Enabled(bool enabled)
{
    if (enabled && m_timer->interval() > 0)
        m_timer->start();
    else
        m_timer->stop();
}

void Timer::tick()
{
    raise("Timer");
}

MenuItem::MenuItem(Form& form, const ControlDefinition& d, QAction* action) : Control(form, d), m_action(action)
{
    if (action)
        QObject::connect(action, &QAction::triggered, action, [this] { raise("Click"); });
}

std::string MenuItem::Caption() const
{
    return m_action ? utf8(m_action->text()) : std::string();
}

bool MenuItem::is_separator() const
{
    return m_action && m_action->isSeparator();
}

void MenuItem::click()
{
    raise("Click");
}

UserControlHost::UserControlHost(Form& form, const ControlDefinition& d, std::unique_ptr<UserControlHandlers> control,
                                 UserControl& host)
    : Control(form, d, host.hWnd()), m_control(std::move(control)), m_host(host)
{
    auto* widget = new UserControlWidget(host, form.widget()->client());
    m_widget = widget;
    widget->move(pixels(double(d.integer("Left"))), pixels(double(d.integer("Top"))));
    if (!m_tooltip.empty())
        widget->setToolTip(q(m_tooltip));
    widget->setVisible(d.boolean("Visible", true));
}

UserControlHost::~UserControlHost()
{
    delete m_widget.data();
}

} // namespace platform::forms
