// Reply bodies. Everything the tool reads is pure ASCII on one line: its decoder drops a whole
// page on a bare line feed and rewrites "%XX", so the escaping here is stricter than JSON needs.
#include "service/reply.h"

#include <cstdio>

#include "service/utf8.h"

namespace tovik::service {

namespace {

void AppendEscape(std::string& out, unsigned unit) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%04x", unit & 0xFFFFu);
    out += buf;
}

void AppendMember(std::string& out, const char* name, std::string_view value) {
    out += '"';
    out += name;
    out += "\": \"";
    out += EscapeForTool(value);
    out += '"';
}

}  // namespace

std::string EscapeForTool(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size() + 16);
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        // Titles are checked UTF-8 on import; a stray byte still goes out as U+FFFD.
        const char32_t cp = NextCodePoint(utf8, pos).value_or(0xFFFD);
        if (cp >= 0x20 && cp < 0x7F && cp != '"' && cp != '\\' && cp != '%' && cp != '\'') {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x10000) {
            AppendEscape(out, cp);
        } else {
            AppendEscape(out, 0xD800 + ((cp - 0x10000) >> 10));
            AppendEscape(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
    }
    return out;
}

std::string ToolSafeTitle(std::string_view utf8) {
    std::string out(utf8);
    for (std::size_t at = 0; (at = out.find("{$}", at)) != std::string::npos;) {
        out.replace(at + 1, 1, "\xEF\xBC\x84");  // U+FF04 FULLWIDTH DOLLAR SIGN
    }
    for (std::size_t at = 0; (at = out.find("\"}", at)) != std::string::npos;) {
        out.replace(at, 1, "\xEF\xBC\x82");  // U+FF02 FULLWIDTH QUOTATION MARK
    }
    return out;
}

std::string SearchReply(const SearchPage& page, std::int64_t pageNumber) {
    std::string out = "{\"page\": " + std::to_string(pageNumber) +
                      ", \"more\": " + (page.more ? "true" : "false") + ", \"hits\": [";
    bool first = true;
    for (const auto& e : page.hits) {
        if (!first) {
            out += ", ";
        }
        first = false;
        out += '{';
        AppendMember(out, "date", e.date);
        out += ", ";
        AppendMember(out, "files", std::to_string(e.files));
        out += ", ";
        AppendMember(out, "magnet", MagnetLink(e));
        out += ", ";
        AppendMember(out, "size", FormatSize(e.size));
        out += ", ";
        AppendMember(out, "title", ToolSafeTitle(e.title));
        out += '}';
    }
    out += "]}";
    return out;
}

std::string ErrorReply(std::string_view message) {
    std::string out = "{\"error\": \"";
    out += EscapeForTool(message);
    out += "\", \"hits\": []}";
    return out;
}

std::string StartPage(const IndexStats& stats, std::string_view listen) {
    const std::string count = std::to_string(stats.entries);
    const std::string newest = stats.newestDate.empty() ? "—" : stats.newestDate;
    std::string html = R"html(<!DOCTYPE html>
<html lang="zh-CN">
<head>
<meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1">
<title>TovikBT 本地索引</title>
<style>
body { font-family: sans-serif; max-width: 42em; margin: 2em auto; padding: 0 1em; color: #222; }
h1 { font-size: 1.5em; }
.stats { background: #f3f6fa; border: 1px solid #d5dde8; border-radius: 6px; padding: 0.8em 1em; }
.stats b { font-size: 1.2em; }
li { margin: 0.3em 0; }
code { background: #eee; padding: 0 0.2em; }
small { color: #666; }
</style>
</head>
<body>
<h1>TovikBT 磁力链接本地索引</h1>
<p class="stats">索引中共有 <b>)html";
    html += count;
    html += R"html(</b> 条资源，最新日期 <b>)html";
    html += newest;
    html += R"html(</b>。<br>
<small>This index holds )html";
    html += count;
    html += R"html( entries; the newest is dated )html";
    html += newest;
    html += R"html(.</small></p>
<h2>使用方法 · How to use</h2>
<ol>
<li>在 TovikBT 窗口的搜索框中输入关键词（中文、英文均可，例如 <code>红楼梦</code>、<code>Ubuntu</code>、<code>1080p</code>）。</li>
<li>在页数框中填写要取回的结果页数（每页 20 条），按回车或点击“搜索”。</li>
<li>双击结果中的一行，即可把该行的磁力链接复制到剪贴板。</li>
</ol>
<p><small>Type a keyword (Chinese text matches any part of a title; Latin words match whole words),
set how many pages of 20 results to fetch, press Enter, then double-click a row to copy its
magnet link. An empty keyword lists the newest entries.</small></p>
<p><small>服务地址 · Service: <code>)html";
    html += listen;
    html += R"html(</code> — POST <code>/search</code></small></p>
</body>
</html>
)html";
    return html;
}

}  // namespace tovik::service
