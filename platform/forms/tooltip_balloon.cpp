// A tip's shape and paint: its place by the pointer, box or balloon with its stem, its face.
#include "platform/forms/tooltip_window.h"

#include "platform/gdi/colour.h"
#include "platform/gdi/font_engine.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace platform::tooltip_detail {

namespace {

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

} // namespace

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

} // namespace platform::tooltip_detail
