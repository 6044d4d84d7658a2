#include "platform/layout/LayoutReader.h"

#include "platform/layout/LayoutError.h"
#include "platform/text/Codepage.h"
#include "platform/text/Text.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace platform {

namespace {

// Deeper nesting than any form has; the limit keeps hostile input from exhausting the stack.
constexpr int MaxNesting = 64;

enum class Tok { End,
    Ident,
    Integer,
    Float,
    String,
    Symbol };

struct Token {
    Tok kind = Tok::End;
    std::string text; // identifier, string bytes, symbol
    int64_t integer = 0;
    double number = 0;
    int line = 1;
};

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

class Parser {
public:
    Parser(std::string_view text, const std::string& source)
        : m_text(text), m_source(source) { Next(); }

    std::unique_ptr<LayoutObject> ParseRoot()
    {
        auto root = ParseObject(0);
        if (m_token.kind != Tok::End)
            Fail("text after the final end");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& message) const { throw ELayoutError(m_source, m_token.line, message); }
    [[noreturn]] void FailAt(int line, const std::string& message) const { throw ELayoutError(m_source, line, message); }

    std::string Describe() const
    {
        switch (m_token.kind) {
        case Tok::End:
            return "the end of the text";
        case Tok::Ident:
            return "'" + m_token.text + "'";
        case Tok::Integer:
        case Tok::Float:
            return "a number";
        case Tok::String:
            return "a string";
        case Tok::Symbol:
            return "'" + m_token.text + "'";
        }
        return "something";
    }

    bool IsSymbol(char c) const { return m_token.kind == Tok::Symbol && m_token.text.size() == 1 && m_token.text[0] == c; }
    bool IsWord(std::string_view word) const { return m_token.kind == Tok::Ident && EqualsNoCase(m_token.text, word); }

    void Expect(char c)
    {
        if (!IsSymbol(c))
            Fail(std::string("expected '") + c + "', found " + Describe());
        Next();
    }

    std::string ExpectIdent(const char* what)
    {
        if (m_token.kind != Tok::Ident)
            Fail(std::string("expected ") + what + ", found " + Describe());
        std::string name = m_token.text;
        Next();
        return name;
    }

    // An optional "[n]" after an object or item header; the number is read and not kept.
    void SkipIndex(const char* what)
    {
        if (!IsSymbol('['))
            return;
        Next();
        if (m_token.kind != Tok::Integer)
            Fail(std::string("expected ") + what + ", found " + Describe());
        Next();
        Expect(']');
    }

    // ---- lexer ----

    void SkipBlanks()
    {
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos];
            if (c == '\n')
                ++m_line;
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v')
                ++m_pos;
            else
                break;
        }
    }

    void Next()
    {
        SkipBlanks();
        m_token = Token();
        m_token.line = m_line;
        if (m_pos >= m_text.size())
            return;
        char c = m_text[m_pos];
        if (IsIdentStart(c)) {
            size_t start = m_pos;
            while (m_pos < m_text.size() && IsIdentChar(m_text[m_pos]))
                ++m_pos;
            m_token.kind = Tok::Ident;
            m_token.text = std::string(m_text.substr(start, m_pos - start));
            return;
        }
        if (c == '\'' || c == '#') {
            LexString();
            return;
        }
        if (IsDigit(c) || ((c == '-' || c == '+') && m_pos + 1 < m_text.size() && (IsDigit(m_text[m_pos + 1]) || m_text[m_pos + 1] == '$'))
            || c == '$') {
            LexNumber();
            return;
        }
        m_token.kind = Tok::Symbol;
        m_token.text = std::string(1, c);
        ++m_pos;
    }

    void LexString()
    {
        std::string bytes;
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos];
            if (c == '\'') {
                ++m_pos;
                for (;;) {
                    if (m_pos >= m_text.size() || m_text[m_pos] == '\n' || m_text[m_pos] == '\r')
                        FailAt(m_line, "string not closed before the end of the line");
                    char s = m_text[m_pos++];
                    if (s == '\'') {
                        if (m_pos < m_text.size() && m_text[m_pos] == '\'') {
                            bytes += '\'';
                            ++m_pos;
                            continue;
                        }
                        break;
                    }
                    bytes += s;
                }
            } else if (c == '#') {
                ++m_pos;
                int64_t code = 0;
                size_t digits = 0;
                bool hex = m_pos < m_text.size() && m_text[m_pos] == '$';
                if (hex)
                    ++m_pos;
                while (m_pos < m_text.size() && (hex ? HexValue(m_text[m_pos]) >= 0 : IsDigit(m_text[m_pos]))) {
                    code = code * (hex ? 16 : 10) + (hex ? HexValue(m_text[m_pos]) : m_text[m_pos] - '0');
                    ++m_pos;
                    if (++digits > 7)
                        FailAt(m_line, "character code too long");
                }
                if (digits == 0)
                    FailAt(m_line, "expected a character code after #");
                AppendCode(bytes, code);
            } else {
                break;
            }
        }
        m_token.kind = Tok::String;
        m_token.text = std::move(bytes);
    }

    void AppendCode(std::string& bytes, int64_t code)
    {
        if (code <= 255) {
            bytes += static_cast<char>(code);
            return;
        }
        int byte = code <= 0x10FFFF ? CodePointToCp1250(static_cast<char32_t>(code)) : -1;
        if (byte < 0)
            FailAt(m_line, "character #" + std::to_string(code) + " has no code page 1250 byte");
        bytes += static_cast<char>(byte);
    }

    void LexNumber()
    {
        size_t start = m_pos;
        bool negative = false;
        if (m_text[m_pos] == '-' || m_text[m_pos] == '+') {
            negative = m_text[m_pos] == '-';
            ++m_pos;
        }
        if (m_pos < m_text.size() && m_text[m_pos] == '$') {
            ++m_pos;
            uint64_t value = 0;
            size_t digits = 0;
            while (m_pos < m_text.size() && HexValue(m_text[m_pos]) >= 0) {
                value = value * 16 + HexValue(m_text[m_pos++]);
                if (++digits > 16)
                    FailAt(m_line, "hexadecimal number too long");
            }
            if (digits == 0)
                FailAt(m_line, "expected hexadecimal digits after $");
            m_token.kind = Tok::Integer;
            // $FFFFFFFF is how -1 and colours with the top bit set are stored.
            int64_t v = digits <= 8 ? static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(value)))
                                    : static_cast<int64_t>(value);
            m_token.integer = negative ? static_cast<int64_t>(0 - static_cast<uint64_t>(v)) : v;
            return;
        }
        while (m_pos < m_text.size() && IsDigit(m_text[m_pos]))
            ++m_pos;
        bool isFloat = false;
        if (m_pos + 1 < m_text.size() && m_text[m_pos] == '.' && IsDigit(m_text[m_pos + 1])) {
            isFloat = true;
            ++m_pos;
            while (m_pos < m_text.size() && IsDigit(m_text[m_pos]))
                ++m_pos;
        }
        if (m_pos < m_text.size() && (m_text[m_pos] == 'e' || m_text[m_pos] == 'E')) {
            size_t e = m_pos + 1;
            if (e < m_text.size() && (m_text[e] == '-' || m_text[e] == '+'))
                ++e;
            if (e < m_text.size() && IsDigit(m_text[e])) {
                isFloat = true;
                m_pos = e;
                while (m_pos < m_text.size() && IsDigit(m_text[m_pos]))
                    ++m_pos;
            }
        }
        std::string number(m_text.substr(start, m_pos - start));
        errno = 0;
        if (isFloat) {
            double v = std::strtod(number.c_str(), nullptr);
            if (!std::isfinite(v))
                FailAt(m_line, "number out of range");
            m_token.kind = Tok::Float;
            m_token.number = v;
            // Single, currency and date suffixes of stored floats.
            if (m_pos < m_text.size() && (m_text[m_pos] == 's' || m_text[m_pos] == 'c' || m_text[m_pos] == 'd'))
                ++m_pos;
            return;
        }
        long long v = std::strtoll(number.c_str(), nullptr, 10);
        if (errno == ERANGE)
            FailAt(m_line, "number out of range");
        m_token.kind = Tok::Integer;
        m_token.integer = v;
    }

    // Binary data between braces: hexadecimal digit pairs, blanks and line breaks between.
    PropertyValue LexBinary()
    {
        std::vector<uint8_t> bytes;
        int high = -1;
        for (;;) {
            if (m_pos >= m_text.size())
                FailAt(m_line, "binary data not closed with }");
            char c = m_text[m_pos++];
            if (c == '}')
                break;
            if (c == '\n') {
                ++m_line;
                continue;
            }
            if (c == ' ' || c == '\t' || c == '\r')
                continue;
            int v = HexValue(c);
            if (v < 0)
                FailAt(m_line, std::string("binary data holds a character that is not hexadecimal"));
            if (high < 0) {
                high = v;
            } else {
                bytes.push_back(static_cast<uint8_t>(high * 16 + v));
                high = -1;
            }
        }
        if (high >= 0)
            FailAt(m_line, "binary data has an odd number of digits");
        return PropertyValue::Bytes(std::move(bytes));
    }

    // ---- grammar ----

    std::unique_ptr<LayoutObject> ParseObject(int depth)
    {
        if (depth > MaxNesting)
            Fail("objects nested too deeply");
        auto object = std::make_unique<LayoutObject>();
        object->line = m_token.line;
        if (IsWord("inherited") || IsWord("inline"))
            object->inherited = true;
        else if (!IsWord("object"))
            Fail("expected object, found " + Describe());
        Next();
        std::string first = ExpectIdent("a component name or class name");
        if (IsSymbol(':')) {
            Next();
            object->name = first;
            object->className = ExpectIdent("a class name");
        } else {
            object->className = first;
        }
        SkipIndex("a creation index");
        for (;;) {
            if (IsWord("end")) {
                Next();
                return object;
            }
            if (IsWord("object") || IsWord("inherited") || IsWord("inline")) {
                object->children.push_back(ParseObject(depth + 1));
                continue;
            }
            if (m_token.kind == Tok::End)
                Fail("object " + (object->name.empty() ? object->className : object->name) + " not closed with end");
            object->properties.push_back(ParseProperty(depth));
        }
    }

    LayoutProperty ParseProperty(int depth)
    {
        LayoutProperty property;
        property.line = m_token.line;
        property.path = ExpectIdent("a property name");
        while (IsSymbol('.')) {
            Next();
            property.path += "." + ExpectIdent("a property name after '.'");
        }
        Expect('=');
        property.value = ParseValue(depth);
        return property;
    }

    PropertyValue ParseValue(int depth)
    {
        if (depth > MaxNesting)
            Fail("values nested too deeply");
        switch (m_token.kind) {
        case Tok::Integer: {
            PropertyValue v = PropertyValue::Int(m_token.integer);
            Next();
            return v;
        }
        case Tok::Float: {
            PropertyValue v = PropertyValue::Float(m_token.number);
            Next();
            return v;
        }
        case Tok::String: {
            std::string text = m_token.text;
            Next();
            // 'long' + 'continued' across lines.
            while (IsSymbol('+')) {
                Next();
                if (m_token.kind != Tok::String)
                    Fail("expected a string after +, found " + Describe());
                text += m_token.text;
                Next();
            }
            return PropertyValue::Str(std::move(text));
        }
        case Tok::Ident: {
            if (IsWord("end") || IsWord("object") || IsWord("inherited") || IsWord("inline"))
                Fail("expected a value, found " + Describe());
            std::string name = m_token.text;
            Next();
            while (IsSymbol('.')) {
                Next();
                name += "." + ExpectIdent("a name after '.'");
            }
            return PropertyValue::Ident(std::move(name));
        }
        case Tok::Symbol:
            break;
        case Tok::End:
            Fail("expected a value, found the end of the text");
        }
        char c = m_token.text[0];
        if (c == '[')
            return ParseSet();
        if (c == '(')
            return ParseList(depth);
        if (c == '<')
            return ParseCollection(depth);
        if (c == '{') {
            // The lexer stands just after the brace.
            PropertyValue v = LexBinary();
            Next();
            return v;
        }
        Fail("expected a value, found " + Describe());
    }

    PropertyValue ParseSet()
    {
        Next();
        std::vector<std::string> names;
        if (!IsSymbol(']')) {
            for (;;) {
                if (m_token.kind == Tok::Ident)
                    names.push_back(m_token.text);
                else if (m_token.kind == Tok::Integer)
                    names.push_back(std::to_string(m_token.integer));
                else
                    Fail("expected a set element, found " + Describe());
                Next();
                if (IsSymbol(',')) {
                    Next();
                    continue;
                }
                break;
            }
        }
        Expect(']');
        return PropertyValue::SetOf(std::move(names));
    }

    PropertyValue ParseList(int depth)
    {
        Next();
        PropertyValue list;
        list.kind = PropertyValue::Kind::List;
        while (!IsSymbol(')')) {
            if (m_token.kind == Tok::End)
                Fail("list not closed with )");
            list.list.push_back(ParseValue(depth + 1));
        }
        Next();
        return list;
    }

    PropertyValue ParseCollection(int depth)
    {
        Next();
        PropertyValue collection;
        collection.kind = PropertyValue::Kind::Collection;
        while (!IsSymbol('>')) {
            if (!IsWord("item"))
                Fail("expected item or '>', found " + Describe());
            Next();
            SkipIndex("an item index");
            PropertyValue::Item item;
            while (!IsWord("end")) {
                if (m_token.kind == Tok::End)
                    Fail("collection item not closed with end");
                LayoutProperty p = ParseProperty(depth + 1);
                item.names.push_back(std::move(p.path));
                item.values.push_back(std::move(p.value));
                item.lines.push_back(p.line);
            }
            Next();
            collection.items.push_back(std::move(item));
        }
        Next();
        return collection;
    }

    std::string_view m_text;
    const std::string& m_source;
    size_t m_pos = 0;
    int m_line = 1;
    Token m_token;
};

}

Result<std::unique_ptr<LayoutObject>> ParseLayout(std::string_view text, const std::string& sourceName)
{
    return LayoutRefusedOn([&] { return Parser(text, sourceName).ParseRoot(); });
}

}
