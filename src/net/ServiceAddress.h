#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A URL taken apart, enough to open an HttpConnection on its server.
struct ServiceAddress {
    std::string Scheme;      // lower case
    std::string Host;        // lower case; empty for URLs without one ("file:///x")
    std::uint16_t Port = 0;  // the scheme's default when the URL names none; 0 if unknown
    std::string Path;        // with the query, at least "/"

    bool IsSecure() const { return Scheme == "https"; }
    bool IsHttp() const { return Scheme == "http" || Scheme == "https"; }
};

// The variable's value when it is set and not empty, the fallback otherwise;
// lets tests and test installations point a service at another server.
std::string AddressFromEnvironment(const char* variable, const char* fallback);

// The scheme in lower case, or empty when the text does not start with one.
std::string SchemeOf(const std::string& url);

// Nothing for text that is not an absolute URL with a server part.
std::optional<ServiceAddress> SplitUrl(const std::string& url);

// The URL in the form the client sends it (spaces encoded, scheme and host in
// lower case); nothing for text that is not an absolute URL.
std::optional<std::string> CanonicalUrl(const std::string& url);
