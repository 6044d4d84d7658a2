#include "tools/torvatool/Json.h"

#include "platform/text/Codepage.h"

#include <cstdio>

namespace torvatool {

std::string JsonString(const std::string& cp1250)
{
    return JsonUtf8String(platform::Cp1250ToUtf8(cp1250));
}

std::string JsonUtf8String(const std::string& utf8)
{
    std::string out = "\"";
    for (char ch : utf8) {
        unsigned char byte = static_cast<unsigned char>(ch);
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += ch;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

void JsonObject::Key(const std::string& key)
{
    if (!m_body.empty())
        m_body += ",";
    m_body += JsonString(key) + ":";
}

JsonObject& JsonObject::Text(const std::string& key, const std::string& cp1250)
{
    Key(key);
    m_body += JsonString(cp1250);
    return *this;
}

JsonObject& JsonObject::Utf8Text(const std::string& key, const std::string& utf8)
{
    Key(key);
    m_body += JsonUtf8String(utf8);
    return *this;
}

JsonObject& JsonObject::Number(const std::string& key, int64_t value)
{
    Key(key);
    m_body += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::Bool(const std::string& key, bool value)
{
    Key(key);
    m_body += value ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::Raw(const std::string& key, const std::string& json)
{
    Key(key);
    m_body += json;
    return *this;
}

std::string JsonArray(const std::vector<std::string>& jsonValues)
{
    std::string out = "[";
    for (size_t i = 0; i < jsonValues.size(); ++i)
        out += (i ? "," : "") + jsonValues[i];
    return out + "]";
}

}
