#include "app/command_catalogue.h"

#include "app/probas.h"

#include <string>

namespace app {

using platform::forms::Form;

namespace {

// A service address: the template box's text, the site address, then the suffix box's
// text when there is one. Read at each click, joined as they are: nothing trimmed or encoded.
struct ServiceCommand {
    const char* handler;
    const char* template_box;
    const char* suffix_box = nullptr;
};

constexpr ServiceCommand service_commands[] = {
    {"htm_Click", "Text20"},
    {"css_Click", "Text21"},
    {"rss_Click", "Text22"},
    {"ke_Click", "Text25"},
    {"chek_Click", "Text34"},
    {"ya_Click", "Text26"},
    {"kat_Click", "Text33"},
    {"ram_Click", "Text29"},
    {"sre_Click", "Text30"},
    {"bbe_Click", "Text31"},
    {"neeert_Click", "Text36"},
    {"pruuy_Click", "Text18"},
    {"sdfr_Click", "Text37"},
    {"who_Click", "Text32"},
    {"ssert_Click", "Text35"},
    {"arhiv_Click", "Text19"},
    {"ww7_Click", "Text15"}, // the scheme alone: the site itself
    {"gg_Click", "Text11", "Text12"},
    {"goog_Click", "Text23", "Text24"},
    {"yak_Click", "Text27", "Text28"},
};

// Pages that do not depend on the site. The hosts are our choice; each names the page
// its menu caption promises.
struct FixedCommand {
    const char* handler;
    const char* address;
};

constexpr FixedCommand fixed_commands[] = {
    {"li_Click", "http://lix.in/"},
    {"tin_Click", "http://www.tinylink.com/tinylink/introsafe.htm"},
    {"sin_Click", "http://snipurl.com/"},
    {"sko_Click", "http://skocz.pl/"},
    {"noouy_Click", "http://notlong.com/links/"},
    {"lif_Click", "http://www.proxy-list.org/free-proxy-list.shtml"},
    {"fgs_Click", "http://www.proxy4free.com/page1.html"},
    {"lkj_Click", "http://aliveproxy.com/proxylist.shtml?HTTP"},
    {"asde_Click", "http://samair.ru/index.php?page=proxylist"},
    {"rus_Click", "http://www.seo-tutorial.ru/"},
    {"iz_Click", "http://www.searchengines.ru/"},
    {"rass_Click", "http://subscribe.ru/catalog/inet.search.seo"},
    {"prog_Click", "http://www.seoprog.ru/programmseo.html"},
    {"ras_Click", "http://www.webmascon.com/articles/promotion/pagerank.html"},
    {"oo_Click", "http://www.ppcsearch.ru/articles.php"},
    {"tab_Click", "http://www.pagerank-info.de/PageRank-Kalkulationstabelle.html"},
    {"sitepro_Click", "http://orlanwerk.example/"}, // the author's site, as in Form4.Text1
};

// Commands that show one of the program's windows.
struct WindowCommand {
    const char* handler;
    const char* window;
};

constexpr WindowCommand window_commands[] = {
    {"opro_Click", "Form4"}, {"ww5_Click", "Form4"}, {"uur_Click", "Form5"}, {"ww4_Click", "Form5"},
    {"rtfd_Click", "Form6"}, {"ww8_Click", "Form6"}, {"ww9_Click", "Form7"},
};

std::string service_address(Form& main, const ServiceCommand& command)
{
    std::string address = main.text(command.template_box).Text() + main.text("Text1").Text();
    if (command.suffix_box)
        address += main.text(command.suffix_box).Text();
    return address;
}

} // namespace

void bind_command_catalogue(Form& main)
{
    for (const ServiceCommand& command : service_commands)
        main.on(command.handler, [&main, command] { OpenURL(main, service_address(main, command)); });
    for (const FixedCommand& command : fixed_commands)
        main.on(command.handler, [&main, address = std::string(command.address)] { OpenURL(main, address); });
    // Loads the window's one instance when it is not loaded, then shows it modeless.
    for (const WindowCommand& command : window_commands)
        main.on(command.handler, [&main, window = std::string(command.window)] { main.forms()[window].Show(); });
}

} // namespace app
