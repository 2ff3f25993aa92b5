#include "platform/forms/tooltip.h"

#include "platform/gdi/colour.h"
#include "platform/gdi/font_engine.h"
#include "platform/forms/form_widget.h"

#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QRegion>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace platform {

namespace {

// The widgets that show windows, and who watches the messages: process-wide, like the
// window handles they hang on.
struct TipRegistry {
    std::map<HWND, QWidget*> widgets;
    MessageObserver observer;
};

TipRegistry& registry()
{
    static TipRegistry instance;
    return instance;
}

// The classic defaults: the double-click time, ten times it, a fifth of it.
constexpr int default_initial_ms = 500;
constexpr int default_autopop_ms = 5000;
constexpr int default_reshow_ms = 100;

// The tip's layout, in pixels.
constexpr int plain_padding_x = 3;
constexpr int plain_padding_y = 2;
constexpr int plain_below_pointer = 20; // clear of the arrow cursor
constexpr int balloon_padding_x = 10;
constexpr int balloon_padding_y = 8;
constexpr int balloon_radius = 7;
constexpr int stem_height = 14;
constexpr int stem_width = 16;
constexpr int stem_inset = 16; // from the balloon's left edge to the stem's tip
constexpr int icon_size = 16;
constexpr int icon_gap = 6;
constexpr int title_gap = 6;
constexpr int layout_limit = 1 << 20;

constexpr uint32_t COLOR_WINDOWFRAME = 6;
constexpr uint32_t COLOR_INFOTEXT = 23;
constexpr uint32_t COLOR_INFOBK = 24;

bool record_size_ok(const TOOLINFOA* record)
{
    return record && (record->cbSize == TTTOOLINFOA_V1_SIZE || record->cbSize == TTTOOLINFOA_V2_SIZE);
}

// Neither null, nor the callback mark, nor a resource number.
bool is_text_pointer(const char* text)
{
    return text && text != LPSTR_TEXTCALLBACKA && reinterpret_cast<uintptr_t>(text) >= 0x10000;
}

std::string text_of(const char* text)
{
    return is_text_pointer(text) ? std::string(text) : std::string();
}

// At most `limit` bytes, never ending inside a UTF-8 sequence.
size_t cut_length(const std::string& text, size_t limit)
{
    if (text.size() <= limit)
        return text.size();
    size_t length = limit;
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    return length;
}

// DrawText's prefix rule: "&&" draws one '&', a lone '&' nothing.
std::string without_prefixes(const std::string& text)
{
    std::string plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&')
            plain += text[i];
        else if (i + 1 < text.size() && text[i + 1] == '&')
            plain += text[++i];
    }
    return plain;
}

bool same_class_name(const char* name, std::string_view wanted)
{
    if (!is_text_pointer(name) || std::strlen(name) != wanted.size())
        return false;
    return std::equal(wanted.begin(), wanted.end(), name, [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

bool contains(const RECT& rect, QPoint point)
{
    return point.x() >= rect.left && point.x() < rect.right && point.y() >= rect.top && point.y() < rect.bottom;
}

QColor qcolour(COLORREF colour)
{
    return QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour));
}

QString qtext(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QFont tip_font(bool bold)
{
    StdFont font;
    font.name = "Tahoma";
    font.size = 8.25;
    font.set_bold(bold);
    return qt_font_for(font);
}

// The standard title icons, small (1-3) or large (4-6), both drawn 16 pixels wide here.
QPixmap title_icon(WPARAM icon)
{
    QStyle::StandardPixmap kind;
    switch (icon) {
    case 1:
    case 4: kind = QStyle::SP_MessageBoxInformation; break;
    case 2:
    case 5: kind = QStyle::SP_MessageBoxWarning; break;
    case 3:
    case 6: kind = QStyle::SP_MessageBoxCritical; break;
    default: return {};
    }
    QStyle* style = QApplication::style();
    return style ? style->standardIcon(kind).pixmap(icon_size, icon_size) : QPixmap();
}

QRect screen_around(QPoint point)
{
    QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(-layout_limit, -layout_limit, 2 * layout_limit, 2 * layout_limit);
}

// The part of `shape` not on its outline: the pixels whose four neighbours are in it too.
QRegion inside_of(const QRegion& shape)
{
    return shape & shape.translated(1, 0) & shape.translated(-1, 0) & shape.translated(0, 1) & shape.translated(0, -1);
}

// A right triangle, one pixel wide at its tip (on the pointer) and stem_width wide where it
// joins the body, its upright side on the tip's column, opening away from the nearer edge.
QRegion stem(int tip_x, bool below, int height, bool opens_right)
{
    QRegion region;
    for (int row = 0; row <= stem_height; ++row) {
        const int width = 1 + row * stem_width / stem_height;
        const int y = below ? row : height - 1 - row;
        region |= QRect(opens_right ? tip_x : tip_x - width + 1, y, width, 1);
    }
    return region;
}

struct Tool {
    UINT flags = 0;
    HWND hwnd = 0;
    uint32_t id = 0;
    RECT rect {};
    HINSTANCE hinst = 0;
    std::string text;
    bool callback = false;
    LPARAM lparam = 0;
    QPointer<QWidget> watched; // the widget a TTF_SUBCLASS tool follows

    bool is(HWND window, uint32_t tool_id) const { return hwnd == window && id == tool_id; }
};

// Where everything of a shown tip goes, in the tip's own pixels.
struct Layout {
    QRegion shape;
    QRegion inside;
    QRect icon;
    QRect title;
    QRect text;
    QString text_shown;
    int text_flags = 0;
};

class TipWindow final : public QWidget, public WindowBackend {
public:
    TipWindow(QWidget* owner, DWORD style, DWORD ex_style);
    ~TipWindow() override;

    HWND handle() const { return m_handle; }
    LRESULT answer(UINT message, WPARAM wparam, LPARAM lparam);
    void set_topmost(bool topmost) { m_topmost = topmost; }
    void pop();
    TipWindowState state() const;

    // WindowBackend
    POINT client_origin() const override
    {
        const QPoint origin = mapToGlobal(QPoint(0, 0));
        return {origin.x(), origin.y()};
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    enum class Hover { Idle, Waiting, Shown, Done };

    BOOL add_tool(const TOOLINFOA& record);
    void delete_tool(const TOOLINFOA& record);
    BOOL enum_tool(WPARAM index, TOOLINFOA& record) const;
    void update_tip_text(const TOOLINFOA& record);
    BOOL set_title(WPARAM icon, const char* title);
    void set_delay(WPARAM type, LPARAM time);
    LRESULT delay(WPARAM type) const;

    Tool* find(HWND window, uint32_t id);
    Tool* current();
    QWidget* current_widget();
    const Tool* tool_at(const QWidget* widget, QPoint local) const;
    void watch(QWidget* widget);
    bool may_show(const Tool& tool) const;

    void pointer_at(QWidget* widget, QPoint local, QPoint global);
    void pointer_left();
    void initial_delay_over();
    void show_tip(const Tool& tool);
    void hide_tip();
    void refresh();
    void place();

    HWND m_handle;
    DWORD m_style;
    bool m_topmost;
    std::vector<Tool> m_tools;
    std::string m_title;
    WPARAM m_icon = TTI_NONE;
    int32_t m_max_width = -1;
    COLORREF m_back;
    COLORREF m_fore;
    int m_initial = default_initial_ms;
    int m_autopop = default_autopop_ms;
    int m_reshow = default_reshow_ms;

    QTimer m_wait;    // the initial (or reshow) delay
    QTimer m_visible; // the visible time
    Hover m_hover = Hover::Idle;
    std::optional<std::pair<HWND, uint32_t>> m_current; // the tool under the pointer
    QPoint m_pointer;            // screen pixels
    QElapsedTimer m_since_shown; // since the pointer left a shown tip
    std::string m_shown_text;
    QPoint m_anchor;
    Layout m_layout;
};

TipWindow::TipWindow(QWidget* owner, DWORD style, DWORD ex_style)
    : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                         Qt::WindowTransparentForInput),
      m_handle(create_window(this)), m_style(style), m_topmost((ex_style & WS_EX_TOPMOST) != 0),
      m_back(*system_colour(COLOR_INFOBK)), m_fore(*system_colour(COLOR_INFOTEXT))
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    // Coarse timers may fire 5% early; a delay is a least time.
    for (QTimer* timer : {&m_wait, &m_visible}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&m_wait, &QTimer::timeout, this, [this] { initial_delay_over(); });
    connect(&m_visible, &QTimer::timeout, this, [this] { pop(); });
    forms::register_window_widget(m_handle, this);
}

TipWindow::~TipWindow()
{
    destroy_window(m_handle);
}

LRESULT TipWindow::answer(UINT message, WPARAM wparam, LPARAM lparam)
{
    auto* record = reinterpret_cast<TOOLINFOA*>(lparam);
    switch (message) {
    case TTM_ADDTOOLA:
        return record_size_ok(record) ? add_tool(*record) : FALSE;
    case TTM_DELTOOLA:
        if (record_size_ok(record))
            delete_tool(*record);
        return 0;
    case TTM_ENUMTOOLSA:
        return record_size_ok(record) ? enum_tool(wparam, *record) : FALSE;
    case TTM_UPDATETIPTEXTA:
        if (record_size_ok(record))
            update_tip_text(*record);
        return 0;
    case TTM_GETTOOLCOUNT:
        return LRESULT(m_tools.size());
    case TTM_SETTITLEA:
        return set_title(wparam, reinterpret_cast<const char*>(lparam));
    case TTM_SETMAXTIPWIDTH: {
        const int32_t previous = m_max_width;
        m_max_width = int32_t(lparam);
        refresh();
        return previous;
    }
    case TTM_GETMAXTIPWIDTH:
        return m_max_width;
    case TTM_SETTIPBKCOLOR:
        m_back = COLORREF(wparam);
        update();
        return 0;
    case TTM_SETTIPTEXTCOLOR:
        m_fore = COLORREF(wparam);
        update();
        return 0;
    case TTM_GETTIPBKCOLOR:
        return LRESULT(m_back);
    case TTM_GETTIPTEXTCOLOR:
        return LRESULT(m_fore);
    case TTM_SETDELAYTIME:
        set_delay(wparam, lparam);
        return 0;
    case TTM_GETDELAYTIME:
        return delay(wparam);
    default:
        return 0;
    }
}

BOOL TipWindow::add_tool(const TOOLINFOA& record)
{
    Tool tool;
    tool.flags = record.uFlags;
    tool.hwnd = record.hwnd;
    tool.id = record.uId;
    tool.rect = record.rect;
    tool.hinst = record.hinst;
    tool.callback = record.lpszText == LPSTR_TEXTCALLBACKA;
    tool.text = text_of(record.lpszText);
    tool.lparam = record.cbSize == TTTOOLINFOA_V2_SIZE ? record.lParam : 0;
    if (tool.flags & TTF_SUBCLASS)
        tool.watched = forms::widget_of((tool.flags & TTF_IDISHWND) ? HWND(tool.id) : tool.hwnd);
    if (tool.watched)
        watch(tool.watched);
    m_tools.push_back(std::move(tool));
    return TRUE;
}

void TipWindow::delete_tool(const TOOLINFOA& record)
{
    auto it = std::find_if(m_tools.begin(), m_tools.end(), [&](const Tool& t) { return t.is(record.hwnd, record.uId); });
    if (it == m_tools.end())
        return;
    QPointer<QWidget> watched = it->watched;
    m_tools.erase(it);
    if (watched && std::none_of(m_tools.begin(), m_tools.end(), [&](const Tool& t) { return t.watched == watched; }))
        watched->removeEventFilter(this);
    if (m_current && !current())
        pointer_left();
}

BOOL TipWindow::enum_tool(WPARAM index, TOOLINFOA& record) const
{
    if (index >= m_tools.size())
        return FALSE;
    const Tool& tool = m_tools[index];
    record.uFlags = tool.flags;
    record.hwnd = tool.hwnd;
    record.uId = tool.id;
    record.rect = tool.rect;
    record.hinst = tool.hinst;
    if (record.cbSize == TTTOOLINFOA_V2_SIZE)
        record.lParam = tool.lparam;
    if (tool.callback) {
        record.lpszText = LPSTR_TEXTCALLBACKA;
    } else if (is_text_pointer(record.lpszText)) {
        const size_t length = cut_length(tool.text, TOOLTIP_TEXT_BUFFER - 1);
        std::memcpy(record.lpszText, tool.text.data(), length);
        record.lpszText[length] = '\0';
    }
    return TRUE;
}

void TipWindow::update_tip_text(const TOOLINFOA& record)
{
    Tool* tool = find(record.hwnd, record.uId);
    if (!tool)
        return;
    tool->hinst = record.hinst;
    tool->callback = record.lpszText == LPSTR_TEXTCALLBACKA;
    tool->text = text_of(record.lpszText);
    if (m_hover == Hover::Shown && tool == current()) {
        m_shown_text = tool->text;
        refresh();
    }
}

BOOL TipWindow::set_title(WPARAM icon, const char* title)
{
    if (!title)
        return FALSE;
    m_icon = icon;
    m_title = title;
    refresh();
    return TRUE;
}

void TipWindow::set_delay(WPARAM type, LPARAM time)
{
    // The time is the low word, signed; a negative one restores the default.
    const int ms = int16_t(uint16_t(uint64_t(time) & 0xFFFF));
    switch (type) {
    case TTDT_AUTOMATIC:
        m_initial = ms < 0 ? default_initial_ms : ms;
        m_autopop = ms < 0 ? default_autopop_ms : 10 * ms;
        m_reshow = ms < 0 ? default_reshow_ms : ms / 5;
        break;
    case TTDT_RESHOW: m_reshow = ms < 0 ? default_reshow_ms : ms; break;
    case TTDT_AUTOPOP: m_autopop = ms < 0 ? default_autopop_ms : ms; break;
    case TTDT_INITIAL: m_initial = ms < 0 ? default_initial_ms : ms; break;
    default: break;
    }
}

LRESULT TipWindow::delay(WPARAM type) const
{
    switch (type) {
    case TTDT_RESHOW: return m_reshow;
    case TTDT_AUTOPOP: return m_autopop;
    case TTDT_INITIAL: return m_initial;
    default: return 0;
    }
}

Tool* TipWindow::find(HWND window, uint32_t id)
{
    auto it = std::find_if(m_tools.begin(), m_tools.end(), [&](const Tool& t) { return t.is(window, id); });
    return it == m_tools.end() ? nullptr : &*it;
}

Tool* TipWindow::current()
{
    return m_current ? find(m_current->first, m_current->second) : nullptr;
}

QWidget* TipWindow::current_widget()
{
    Tool* tool = current();
    return tool ? tool->watched.data() : nullptr;
}

const Tool* TipWindow::tool_at(const QWidget* widget, QPoint local) const
{
    for (const Tool& tool : m_tools) {
        if (tool.watched != widget)
            continue;
        if ((tool.flags & TTF_IDISHWND) ? widget->rect().contains(local) : contains(tool.rect, local))
            return &tool;
    }
    return nullptr;
}

void TipWindow::watch(QWidget* widget)
{
    const bool watched_already =
        std::any_of(m_tools.begin(), m_tools.end(), [&](const Tool& t) { return t.watched == widget; });
    if (watched_already)
        return;
    widget->installEventFilter(this);
    widget->setMouseTracking(true); // the tool window's every move, as a subclass sees them
    connect(widget, &QObject::destroyed, this, [this, widget] {
        QWidget* now = current_widget();
        if (m_current && (!now || now == widget))
            pointer_left();
    });
}

bool TipWindow::may_show(const Tool& tool) const
{
    const QWidget* widget = tool.watched.data();
    if (!widget || !widget->isVisible() || !widget->isEnabled() || tool.callback || tool.text.empty())
        return false;
    return (m_style & TTS_ALWAYSTIP) || widget->window()->isActiveWindow();
}

bool TipWindow::eventFilter(QObject* watched, QEvent* event)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget)
        return false;
    switch (event->type()) {
    case QEvent::Enter:
        if (auto* enter = dynamic_cast<QEnterEvent*>(event))
            pointer_at(widget, enter->position().toPoint(), enter->globalPosition().toPoint());
        else
            pointer_at(widget, widget->mapFromGlobal(QCursor::pos()), QCursor::pos());
        break;
    case QEvent::MouseMove: {
        auto* move = static_cast<QMouseEvent*>(event);
        pointer_at(widget, move->position().toPoint(), move->globalPosition().toPoint());
        break;
    }
    case QEvent::Leave:
    case QEvent::Hide:
        if (current_widget() == widget)
            pointer_left();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        // A click puts the tip away until the pointer comes back.
        if (current_widget() == widget)
            pop();
        break;
    default:
        break;
    }
    return false;
}

void TipWindow::pointer_at(QWidget* widget, QPoint local, QPoint global)
{
    m_pointer = global;
    const Tool* tool = tool_at(widget, local);
    if (!tool) {
        if (current_widget() == widget)
            pointer_left();
        return;
    }
    const std::pair key {tool->hwnd, tool->id};
    if (m_current == key) {
        if (m_hover == Hover::Waiting)
            m_wait.start(); // the pointer has to rest for the whole delay
        return;
    }
    // Moving on from a tip that was just shown brings the next one sooner.
    const bool reshow = m_hover == Hover::Shown || (m_since_shown.isValid() && m_since_shown.elapsed() < m_initial);
    hide_tip();
    m_current = key;
    m_hover = Hover::Waiting;
    m_wait.start(reshow ? m_reshow : m_initial);
}

void TipWindow::pointer_left()
{
    if (m_hover == Hover::Shown)
        m_since_shown.start();
    m_wait.stop();
    hide_tip();
    m_current.reset();
    m_hover = Hover::Idle;
}

void TipWindow::pop()
{
    m_wait.stop();
    hide_tip();
    if (m_current)
        m_hover = Hover::Done;
}

void TipWindow::initial_delay_over()
{
    // Not now: the next move over the tool starts the delay again.
    if (const Tool* tool = current(); tool && may_show(*tool))
        show_tip(*tool);
}

void TipWindow::show_tip(const Tool& tool)
{
    m_shown_text = tool.text;
    m_anchor = m_pointer;
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) != m_topmost)
        setWindowFlag(Qt::WindowStaysOnTopHint, m_topmost);
    place();
    show();
    m_hover = Hover::Shown;
    m_since_shown.invalidate();
    m_visible.start(m_autopop);
}

void TipWindow::hide_tip()
{
    m_visible.stop();
    hide();
}

void TipWindow::refresh()
{
    if (isVisible())
        place();
    update();
}

void TipWindow::place()
{
    const bool balloon = (m_style & TTS_BALLOON) != 0;
    const QFontMetrics text_metrics(tip_font(false));
    const QFontMetrics title_metrics(tip_font(true));
    Layout layout;

    // The title row: the icon, then the title in bold; no title, no row.
    const QString title = qtext(m_title);
    const bool has_icon = !title_icon(m_icon).isNull();
    QSize title_size;
    if (!title.isEmpty()) {
        const int icon_width = has_icon ? icon_size + icon_gap : 0;
        title_size = QSize(icon_width + title_metrics.horizontalAdvance(title),
                           std::max(has_icon ? icon_size : 0, title_metrics.height()));
    }

    // The text: wrapped at words within the maximum width when there is one, else one line.
    const std::string text = (m_style & TTS_NOPREFIX) ? m_shown_text : without_prefixes(m_shown_text);
    layout.text_shown = qtext(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace('\r', '\n');
    const bool wrap = m_max_width >= 0;
    layout.text_flags = Qt::AlignLeft | Qt::AlignTop | (wrap ? Qt::TextWordWrap : Qt::TextSingleLine);
    const int wrap_width = std::clamp(m_max_width, 1, layout_limit);
    const QRect bounds(0, 0, wrap ? wrap_width : layout_limit, layout_limit);
    const QSize text_size = text_metrics.boundingRect(bounds, layout.text_flags, layout.text_shown).size();

    const int gap = title_size.isEmpty() ? 0 : title_gap;
    const int padding_x = balloon ? balloon_padding_x : plain_padding_x;
    const int padding_y = balloon ? balloon_padding_y : plain_padding_y;
    const int body_width = std::max(title_size.width(), text_size.width()) + 2 * padding_x;
    const int body_height = title_size.height() + gap + text_size.height() + 2 * padding_y;
    const int height = body_height + (balloon ? stem_height : 0);
    const QRect screen = screen_around(m_anchor);
    const int right_most = std::max(screen.left(), screen.right() + 1 - body_width);

    QPoint origin;
    QRect body;
    if (!balloon) {
        // Below the pointer, or above it where the screen ends.
        const int below = m_anchor.y() + plain_below_pointer;
        origin = QPoint(std::clamp(m_anchor.x(), screen.left(), right_most),
                        below + height <= screen.bottom() + 1 ? below : m_anchor.y() - height);
        body = QRect(0, 0, body_width, body_height);
        layout.shape = QRegion(body);
    } else {
        // The stem's tip on the pointer: the balloon below it, or above where the screen ends.
        const bool below = m_anchor.y() + height <= screen.bottom() + 1 || m_anchor.y() - height < screen.top();
        const int left = std::clamp(m_anchor.x() - stem_inset, screen.left(), right_most);
        const int tip_x = std::clamp(m_anchor.x() - left, balloon_radius + 1, body_width - balloon_radius - 2);
        origin = QPoint(left, below ? m_anchor.y() : m_anchor.y() - height + 1);
        body = QRect(0, below ? stem_height : 0, body_width, body_height);
        QPainterPath outline;
        outline.addRoundedRect(QRectF(body), balloon_radius, balloon_radius);
        layout.shape = QRegion(outline.toFillPolygon().toPolygon()) | stem(tip_x, below, height, tip_x < body_width / 2);
    }
    layout.inside = inside_of(layout.shape);

    const QPoint content = body.topLeft() + QPoint(padding_x, padding_y);
    if (!title_size.isEmpty()) {
        const int icon_width = has_icon ? icon_size + icon_gap : 0;
        if (has_icon)
            layout.icon = QRect(content.x(), content.y() + (title_size.height() - icon_size) / 2, icon_size, icon_size);
        layout.title = QRect(content.x() + icon_width, content.y(), title_size.width() - icon_width, title_size.height());
    }
    layout.text = QRect(content.x(), content.y() + title_size.height() + gap, wrap ? wrap_width : text_size.width(),
                        text_size.height());

    m_layout = std::move(layout);
    setGeometry(QRect(origin, QSize(body_width, height)));
    if (balloon)
        setMask(m_layout.shape);
    else
        clearMask();
}

void TipWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    for (const QRect& r : m_layout.shape)
        painter.fillRect(r, qcolour(*system_colour(COLOR_WINDOWFRAME)));
    for (const QRect& r : m_layout.inside)
        painter.fillRect(r, qcolour(m_back));
    painter.setPen(qcolour(m_fore));
    if (!m_layout.title.isEmpty()) {
        if (!m_layout.icon.isEmpty())
            painter.drawPixmap(m_layout.icon, title_icon(m_icon));
        painter.setFont(tip_font(true));
        painter.drawText(m_layout.title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, qtext(m_title));
    }
    painter.setFont(tip_font(false));
    painter.drawText(m_layout.text, m_layout.text_flags, m_layout.text_shown);
}

TipWindowState TipWindow::state() const
{
    TipWindowState state;
    state.visible = isVisible();
    state.balloon = (m_style & TTS_BALLOON) != 0;
    state.topmost = m_topmost;
    state.text = m_layout.text_shown.toStdString();
    state.title = m_title;
    state.icon = int(std::min<WPARAM>(m_icon, 0x7FFFFFFF));
    state.geometry = geometry();
    return state;
}

TipWindow* tip_of(HWND window)
{
    return dynamic_cast<TipWindow*>(forms::widget_of(window));
}

} // namespace

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init)
{
    return init && init->dwSize == sizeof(INITCOMMONCONTROLSEX) ? TRUE : FALSE;
}

HWND CreateWindowExA(DWORD ex_style, const char* class_name, const char* /*window_name*/, DWORD style, int /*x*/,
                     int /*y*/, int /*width*/, int /*height*/, HWND parent, HMENU /*menu*/, HINSTANCE /*instance*/,
                     void* /*param*/)
{
    // A tip places and sizes itself each time it shows.
    if (!same_class_name(class_name, TOOLTIPS_CLASSA))
        return 0;
    if (parent != 0 && !IsWindow(parent))
        return 0;
    auto* tip = new TipWindow(forms::widget_of(parent), style, ex_style);
    return tip->handle();
}

BOOL DestroyWindow(HWND window)
{
    TipWindow* tip = tip_of(window);
    if (!tip)
        return FALSE;
    delete tip;
    return TRUE;
}

BOOL SetWindowPos(HWND window, HWND insert_after, int /*x*/, int /*y*/, int /*cx*/, int /*cy*/, UINT flags)
{
    TipWindow* tip = tip_of(window);
    if (!tip)
        return IsWindow(window);
    if (!(flags & SWP_NOZORDER) && (insert_after == HWND_TOPMOST || insert_after == HWND_NOTOPMOST))
        tip->set_topmost(insert_after == HWND_TOPMOST);
    if (flags & SWP_HIDEWINDOW)
        tip->pop();
    return TRUE;
}

BOOL GetClientRect(HWND window, RECT* rect)
{
    if (!rect || !IsWindow(window))
        return FALSE;
    QWidget* widget = forms::widget_of(window);
    if (auto* form = dynamic_cast<forms::FormWidget*>(widget))
        widget = form->client();
    *rect = widget ? RECT {0, 0, widget->width(), widget->height()} : RECT {};
    return TRUE;
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (MessageObserver observer = registry().observer)
        observer(window, message, wparam, lparam);
    TipWindow* tip = tip_of(window);
    return tip ? tip->answer(message, wparam, lparam) : 0;
}

void set_message_observer(MessageObserver observer)
{
    registry().observer = std::move(observer);
}

std::optional<TipWindowState> tip_window_state(HWND window)
{
    const TipWindow* tip = tip_of(window);
    return tip ? std::optional(tip->state()) : std::nullopt;
}

} // namespace platform

namespace platform::forms {

void register_window_widget(HWND window, QWidget* widget)
{
    if (!widget || !IsWindow(window))
        return;
    registry().widgets[window] = widget;
    QObject::connect(widget, &QObject::destroyed, [window, widget] {
        auto& widgets = registry().widgets;
        if (auto it = widgets.find(window); it != widgets.end() && it->second == widget)
            widgets.erase(it);
    });
}

QWidget* widget_of(HWND window)
{
    if (!IsWindow(window))
        return nullptr;
    auto& widgets = registry().widgets;
    auto it = widgets.find(window);
    return it == widgets.end() ? nullptr : it->second;
}

} // namespace platform::forms
