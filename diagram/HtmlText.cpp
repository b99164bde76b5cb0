#include "HtmlText.h"

#include <cctype>
#include <cstring>

namespace VexloDiagram {

namespace {

bool StartsWithTag(const std::string& s, size_t at, const char* tag)
{
    const size_t n = std::strlen(tag);
    if (at + n > s.size())
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(s[at + i])) != tag[i])
            return false;
    const char next = at + n < s.size() ? s[at + n] : '>';
    return next == '>' || next == ' ' || next == '/' || next == '\t' || next == '\n';
}

} // namespace

std::string DocumentationText(const std::string& doc)
{
    std::string out;
    out.reserve(doc.size());
    for (size_t i = 0; i < doc.size();) {
        if (doc[i] == '<') {
            const size_t close = doc.find('>', i);
            const bool tag = close != std::string::npos && i + 1 < doc.size() &&
                             (std::isalpha(static_cast<unsigned char>(doc[i + 1])) || doc[i + 1] == '/' || doc[i + 1] == '!');
            if (tag) {
                const size_t name = doc[i + 1] == '/' ? i + 2 : i + 1;
                if (StartsWithTag(doc, name, "br"))
                    out += '\n';
                else if (StartsWithTag(doc, name, "p") || StartsWithTag(doc, name, "div") || StartsWithTag(doc, name, "ul") ||
                         StartsWithTag(doc, name, "ol"))
                    out += out.empty() || out.back() == '\n' ? "" : "\n";
                else if (StartsWithTag(doc, name, "li") && doc[i + 1] != '/') {
                    if (!out.empty() && out.back() != '\n')
                        out += '\n';
                    out += "- ";
                }
                i = close + 1;
                continue;
            }
        }
        if (doc[i] == '&') {
            static const std::pair<const char*, const char*> entities[] = {
                {"&lt;", "<"}, {"&gt;", ">"}, {"&amp;", "&"}, {"&quot;", "\""}, {"&nbsp;", " "}, {"&#39;", "'"}, {"&apos;", "'"}};
            bool done = false;
            for (const auto& [name, text] : entities)
                if (doc.compare(i, std::strlen(name), name) == 0) {
                    out += text;
                    i += std::strlen(name);
                    done = true;
                    break;
                }
            if (done)
                continue;
        }
        out += doc[i++];
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

std::string PercentEncode(const std::string& name)
{
    static const char* const hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : name) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' || c == '/') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

const char* const kReportStyle = R"(body{font-family:Arial,Helvetica,'WenQuanYi Micro Hei',sans-serif;margin:0;display:flex;color:#222}
nav{width:20em;min-width:20em;height:100vh;overflow:auto;position:sticky;top:0;background:#f4f4f0;padding:1em;box-sizing:border-box;font-size:90%}
nav ul{list-style:none;padding-left:1em;margin:0}nav>ul{padding-left:0}summary{cursor:pointer}
#search{width:100%;box-sizing:border-box;margin-bottom:.5em}
main{padding:1em 2em;overflow:auto;flex:1}section{margin-bottom:2em;content-visibility:auto;contain-intrinsic-size:auto 400px}
.diagram svg{max-width:100%;height:auto;border:1px solid #ccc}
code,.sig{font-family:Consolas,monospace}.doc{white-space:pre-wrap;background:#fafaf4;padding:.5em}
table{border-collapse:collapse}td,th{border:1px solid #ddd;padding:2px 6px;text-align:left}
tr.changed td{font-weight:bold}.kind,.note{color:#777;font-size:85%}.hidden{display:none})";

const char* const kReportScript = R"(
(function () {
  // Parts of the page kept as raw text, or in files beside it (data-src) for a big
  // report, until they come near the screen or are linked to.
  var parts = Array.prototype.slice.call(document.querySelectorAll('div.lazy'));
  var waiting = {}, wanted = null;
  function insert(part, html) {
    if (!part.parentNode) return;
    var holder = document.createElement('div');
    holder.innerHTML = html;
    while (holder.firstChild) part.parentNode.insertBefore(holder.firstChild, part);
    part.parentNode.removeChild(part);
    if (wanted && document.getElementById(wanted)) { document.getElementById(wanted).scrollIntoView(); wanted = null; }
  }
  window.vexloPart = function (n, html) {
    var part = document.querySelector('div.lazy[data-part="' + n + '"]');
    if (part) insert(part, html);
    (waiting[n] || []).forEach(function (done) { done(); });
    delete waiting[n];
  };
  function show(part) {
    if (!part.parentNode) return Promise.resolve();
    var src = part.getAttribute('data-src');
    if (!src) { insert(part, part.firstChild ? part.firstChild.textContent : ''); return Promise.resolve(); }
    var n = part.getAttribute('data-part');
    return new Promise(function (done) {
      if (!waiting[n]) {
        waiting[n] = [];
        var script = document.createElement('script');
        script.src = src;
        script.onerror = function () { (waiting[n] || []).forEach(function (d) { d(); }); delete waiting[n]; };
        document.head.appendChild(script);
      }
      waiting[n].push(done);
    });
  }
  window.vexloShowAll = function () { return Promise.all(parts.map(show)); };
  function reveal(id) {
    if (!id || document.getElementById(id)) return;
    wanted = id;
    if (window.vexloIds && id in window.vexloIds) {
      var holder = document.querySelector('div.lazy[data-part="' + window.vexloIds[id] + '"]');
      if (holder) show(holder);
      return;
    }
    for (var i = 0; i < parts.length; i++)
      if (parts[i].firstChild && parts[i].firstChild.textContent.indexOf('id="' + id + '"') >= 0) { show(parts[i]); break; }
  }
  function fromHash() { reveal(decodeURIComponent(location.hash.slice(1))); }
  window.addEventListener('hashchange', fromHash);
  fromHash();
  if ('IntersectionObserver' in window) {
    var seen = new IntersectionObserver(function (entries) {
      entries.forEach(function (e) { if (e.isIntersecting) { seen.unobserve(e.target); show(e.target); } });
    }, {rootMargin: '1500px'});
    parts.forEach(function (p) { seen.observe(p); });
  } else {
    window.vexloShowAll();
  }

  var box = document.getElementById('search');
  if (!box) return;
  box.addEventListener('input', function () {
    var q = box.value.trim().toLowerCase();
    var items = document.querySelectorAll('nav li[data-find]');
    for (var i = 0; i < items.length; i++) {
      var li = items[i], hit = !q || li.getAttribute('data-find').indexOf(q) >= 0;
      li.classList.toggle('hidden', !hit);
      var target = document.getElementById(li.getAttribute('data-target'));
      if (target) target.classList.toggle('hidden', !hit);
    }
    var folders = document.querySelectorAll('nav details');
    for (var j = folders.length - 1; j >= 0; j--) {
      var shown = folders[j].querySelector('li[data-find]:not(.hidden)');
      folders[j].parentNode.classList.toggle('hidden', !!q && !shown);
      if (q && shown) folders[j].open = true;
    }
  });
})();
)";

} // namespace VexloDiagram
