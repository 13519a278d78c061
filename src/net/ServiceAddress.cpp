#include "net/ServiceAddress.h"

#include <curl/curl.h>

#include <cctype>
#include <cstdlib>
#include <memory>

#include "core/UtilText.h"

namespace {

struct UrlHandleDeleter {
    void operator()(CURLU* handle) const { curl_url_cleanup(handle); }
};
using UrlHandle = std::unique_ptr<CURLU, UrlHandleDeleter>;

// Unknown schemes are accepted so that callers can tell "not a URL" from "not HTTP".
UrlHandle ParseUrl(const std::string& url) {
    // Spaces are encoded, as a browser would, rather than refused.
    std::string encoded;
    for (const char c : url) {
        if (c == ' ') {
            encoded += "%20";
        } else {
            encoded += c;
        }
    }
    UrlHandle handle(curl_url());
    if (handle == nullptr || curl_url_set(handle.get(), CURLUPART_URL, encoded.c_str(),
                                          CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK) {
        return nullptr;
    }
    return handle;
}

std::optional<std::string> Part(CURLU* handle, CURLUPart part, unsigned flags = 0) {
    char* text = nullptr;
    if (curl_url_get(handle, part, &text, flags) != CURLUE_OK || text == nullptr) {
        return std::nullopt;
    }
    std::string value(text);
    curl_free(text);
    return value;
}

}  // namespace

std::string AddressFromEnvironment(const char* variable, const char* fallback) {
    const char* value = variable != nullptr ? std::getenv(variable) : nullptr;
    if (value != nullptr && *value != '\0') {
        return value;
    }
    return fallback != nullptr ? fallback : "";
}

std::string SchemeOf(const std::string& url) {
    const auto colon = url.find(':');
    if (colon == std::string::npos || colon == 0 ||
        std::isalpha(static_cast<unsigned char>(url[0])) == 0) {
        return {};
    }
    std::string scheme;
    for (const char c : url.substr(0, colon)) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) == 0 && c != '+' && c != '-' && c != '.') {
            return {};
        }
        scheme += UtilText::ToLowerAscii(c);
    }
    return scheme;
}

std::optional<ServiceAddress> SplitUrl(const std::string& url) {
    const UrlHandle handle = ParseUrl(url);
    if (handle == nullptr) {
        return std::nullopt;
    }
    ServiceAddress address;
    address.Scheme = Part(handle.get(), CURLUPART_SCHEME).value_or("");
    address.Host = Part(handle.get(), CURLUPART_HOST).value_or("");
    address.Host = UtilText::ToLowerAscii(address.Host);
    const std::string port = Part(handle.get(), CURLUPART_PORT, CURLU_DEFAULT_PORT).value_or("0");
    const long number = std::strtol(port.c_str(), nullptr, 10);
    address.Port = number > 0 && number <= 65535 ? static_cast<std::uint16_t>(number) : 0;
    address.Path = Part(handle.get(), CURLUPART_PATH).value_or("");
    if (address.Path.empty()) {
        address.Path.push_back('/');
    }
    if (const auto query = Part(handle.get(), CURLUPART_QUERY)) {
        address.Path.append("?").append(*query);
    }
    return address;
}

std::optional<std::string> CanonicalUrl(const std::string& url) {
    const UrlHandle handle = ParseUrl(url);
    if (handle == nullptr) {
        return std::nullopt;
    }
    return Part(handle.get(), CURLUPART_URL);
}
