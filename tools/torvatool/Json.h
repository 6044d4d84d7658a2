#pragma once

// A small writer of JSON objects for torvatool's reports; texts arrive in code page 1250 and
// leave as UTF-8.

#include <cstdint>
#include <string>
#include <vector>

namespace torvatool {

std::string JsonString(const std::string& cp1250);
// A text already in UTF-8, such as a host path.
std::string JsonUtf8String(const std::string& utf8);

class JsonObject {
public:
    JsonObject& Text(const std::string& key, const std::string& cp1250);
    JsonObject& Utf8Text(const std::string& key, const std::string& utf8);
    JsonObject& Number(const std::string& key, int64_t value);
    JsonObject& Bool(const std::string& key, bool value);
    // A value already written as JSON (an array or object).
    JsonObject& Raw(const std::string& key, const std::string& json);
    std::string Str() const { return "{" + m_body + "}"; }

private:
    void Key(const std::string& key);
    std::string m_body;
};

std::string JsonArray(const std::vector<std::string>& jsonValues);

}
