#include "weather/soap/NdfdClient.h"

#include <sys/socket.h>

#include <strings.h>

#include <cstdlib>
#include <mutex>

#include "core/Exceptions.h"
#include "core/Util.h"
#include "soapndfdXMLBindingProxy.h"

namespace {

[[noreturn]] void RaiseGetForecastFailure(const std::string& detail) {
    static constexpr const char* Location = "WeatherServiceNoaa::GetForecast (110)";
    throw ApplicationException(Location, detail.c_str());
}

// gSOAP reads a positive time-out as seconds and a negative one as microseconds;
// zero means no limit. Long odd values are rounded up to whole seconds to fit.
int SoapTimeout(std::chrono::milliseconds timeout) {
    const long long milliseconds = timeout.count() > 0 ? timeout.count() : 0;
    if (milliseconds % 1000 == 0 || milliseconds > 2'000'000) {
        return static_cast<int>((milliseconds + 999) / 1000);
    }
    return static_cast<int>(-milliseconds * 1000);
}

bool IsHttps(const std::string& endpoint) {
    return strncasecmp(endpoint.c_str(), "https:", 6) == 0;
}

// The runtime's TLS set-up is not safe to run from two threads at once.
void EnsureSslInitialized() {
    static std::once_flag once;
    std::call_once(once, [] { soap_ssl_init(); });
}

std::string FaultText(ndfdXMLBindingProxy& proxy) {
    char text[1024] = {};
    proxy.soap_sprint_fault(text, sizeof text);
    return text;
}

}  // namespace

NdfdRequestParts MakeNdfdRequestParts(float latitude, float longitude, const DateTime& localToday) {
    return NdfdRequestParts{Util::ToString(static_cast<double>(latitude)),
                            Util::ToString(static_cast<double>(longitude)),
                            localToday.ToXsdDateString(),
                            "7",
                            "e",
                            "12 hourly"};
}

std::string ForecastEndpoint() {
    const char* overridden = std::getenv("SKYVANE_FORECAST_URL");
    return overridden != nullptr && *overridden != '\0' ? overridden : NdfdDefaultEndpoint;
}

std::string CallNdfdGenByDay(const std::string& endpoint, const NdfdRequestParts& parts,
                             const NdfdTransportLimits& limits) {
    // The proxy owns its SOAP state and frees it on every way out of here.
    ndfdXMLBindingProxy proxy(SOAP_IO_DEFAULT | SOAP_C_UTFSTRING);
    soap* state = proxy.soap;
    if (state == nullptr) {
        RaiseGetForecastFailure("no SOAP state");
    }
    soap_set_namespaces(state, namespaces);
    state->connect_timeout = SoapTimeout(limits.ConnectTimeout);
    state->send_timeout = SoapTimeout(limits.SendTimeout);
    state->recv_timeout = SoapTimeout(limits.ReceiveTimeout);
    state->transfer_timeout = SoapTimeout(limits.TransferTimeout);
    state->recv_maxlength = limits.MaxAnswerBytes;
    // A peer that closes early must give an error, not a SIGPIPE.
    state->socket_flags = MSG_NOSIGNAL;

    if (IsHttps(endpoint)) {
        EnsureSslInitialized();
        if (soap_ssl_client_context(state, SOAP_SSL_DEFAULT, nullptr, nullptr, NdfdCaFile, nullptr,
                                    nullptr) != SOAP_OK) {
            RaiseGetForecastFailure(FaultText(proxy));
        }
    }

    std::string answer;
    if (proxy.NDFDgenByDay(endpoint.c_str(), NdfdSoapAction, parts.latitude, parts.longitude,
                           parts.startDate, parts.numDays, parts.Unit, parts.format,
                           answer) != SOAP_OK) {
        RaiseGetForecastFailure(FaultText(proxy));
    }
    return answer;
}
