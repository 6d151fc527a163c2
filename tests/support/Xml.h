// A small, strict XML reader for the tests that check the pictures the demo writes: it builds the
// element tree and throws at the first thing that is not well-formed XML (unbalanced or crossed
// tags, a bad name, an unquoted or repeated attribute, a stray '<' or '&', text after the root).
// Enough for SVG written by a program; no DTDs, no CDATA, no namespaces beyond names with ':'.
#pragma once

#include <cctype>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora_test {

struct XmlElement {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::vector<std::unique_ptr<XmlElement>> children;
  std::string text;  // the character data directly inside, entities replaced

  std::string Attribute(const std::string& key) const {
    const auto it = attributes.find(key);
    return it == attributes.end() ? std::string() : it->second;
  }

  // Every element below this one (depth first) for which `match` is true.
  template <typename Match>
  void Find(Match match, std::vector<const XmlElement*>& found) const {
    for (const auto& child : children) {
      if (match(*child)) found.push_back(child.get());
      child->Find(match, found);
    }
  }

  const XmlElement* FindById(const std::string& id) const {
    std::vector<const XmlElement*> found;
    Find([&](const XmlElement& e) { return e.Attribute("id") == id; }, found);
    return found.empty() ? nullptr : found.front();
  }
};

class XmlReader {
 public:
  // Parses a whole document; throws std::runtime_error("XML at <offset>: <what>") when it is not
  // well-formed.
  static std::unique_ptr<XmlElement> Parse(const std::string& text) {
    XmlReader reader(text);
    return reader.Document();
  }

 private:
  explicit XmlReader(const std::string& text) : m_text(text) {}

  [[noreturn]] void Fail(const std::string& what) const {
    throw std::runtime_error("XML at " + std::to_string(m_pos) + ": " + what);
  }
  bool AtEnd() const { return m_pos >= m_text.size(); }
  bool StartsWith(const char* s) const {
    return m_text.compare(m_pos, std::char_traits<char>::length(s), s) == 0;
  }
  void SkipSpace() {
    while (!AtEnd() && std::isspace(static_cast<unsigned char>(m_text[m_pos]))) ++m_pos;
  }
  void Expect(const char* s) {
    if (!StartsWith(s)) Fail(std::string("expected \"") + s + "\"");
    m_pos += std::char_traits<char>::length(s);
  }
  // Comments and processing instructions between elements.
  void SkipMisc() {
    for (;;) {
      SkipSpace();
      if (StartsWith("<!--")) {
        const size_t end = m_text.find("-->", m_pos + 4);
        if (end == std::string::npos) Fail("comment not closed");
        m_pos = end + 3;
      } else if (StartsWith("<?")) {
        const size_t end = m_text.find("?>", m_pos + 2);
        if (end == std::string::npos) Fail("processing instruction not closed");
        m_pos = end + 2;
      } else {
        return;
      }
    }
  }

  std::unique_ptr<XmlElement> Document() {
    SkipMisc();
    if (!StartsWith("<")) Fail("no root element");
    auto root = Element();
    SkipMisc();
    if (!AtEnd()) Fail("content after the root element");
    return root;
  }

  static bool NameStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_' || c == ':';
  }
  static bool NameChar(char c) {
    return NameStart(c) || std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '.';
  }
  std::string Name() {
    if (AtEnd() || !NameStart(m_text[m_pos])) Fail("bad name");
    const size_t start = m_pos;
    while (!AtEnd() && NameChar(m_text[m_pos])) ++m_pos;
    return m_text.substr(start, m_pos - start);
  }

  // Character data up to the next '<' (or the quote ending an attribute), entities replaced.
  std::string CharData(char stop) {
    std::string out;
    while (!AtEnd() && m_text[m_pos] != stop) {
      const char c = m_text[m_pos];
      if (c == '<') Fail("'<' inside a value");
      if (c != '&') {
        out += c;
        ++m_pos;
        continue;
      }
      static const std::pair<const char*, char> kEntities[] = {
          {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
      bool known = false;
      for (const auto& [entity, ch] : kEntities) {
        if (StartsWith(entity)) {
          out += ch;
          m_pos += std::char_traits<char>::length(entity);
          known = true;
          break;
        }
      }
      if (!known) Fail("unknown or bare '&'");
    }
    return out;
  }

  std::unique_ptr<XmlElement> Element() {
    Expect("<");
    auto element = std::make_unique<XmlElement>();
    element->name = Name();
    for (;;) {
      const size_t before = m_pos;
      SkipSpace();
      if (StartsWith("/>")) {
        m_pos += 2;
        return element;
      }
      if (StartsWith(">")) {
        ++m_pos;
        break;
      }
      if (m_pos == before) Fail("attributes must be separated by space");
      const std::string key = Name();
      SkipSpace();
      Expect("=");
      SkipSpace();
      if (AtEnd() || (m_text[m_pos] != '"' && m_text[m_pos] != '\'')) Fail("unquoted attribute");
      const char quote = m_text[m_pos++];
      std::string value = CharData(quote);
      if (AtEnd()) Fail("attribute not closed");
      ++m_pos;
      if (!element->attributes.emplace(key, std::move(value)).second) {
        Fail("attribute " + key + " given twice");
      }
    }
    // Content: text, comments and child elements up to the matching end tag.
    for (;;) {
      element->text += CharData('<');
      if (AtEnd()) Fail("element " + element->name + " not closed");
      if (StartsWith("</")) {
        m_pos += 2;
        if (Name() != element->name) Fail("end tag does not match " + element->name);
        SkipSpace();
        Expect(">");
        return element;
      }
      if (StartsWith("<!--") || StartsWith("<?")) {
        SkipMisc();
        continue;
      }
      element->children.push_back(Element());
    }
  }

  const std::string& m_text;
  size_t m_pos = 0;
};

}  // namespace velmora_test
