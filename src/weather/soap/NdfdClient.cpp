#include "weather/soap/NdfdClient.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <stop_token>

#include "core/Exceptions.h"
#include "core/Util.h"
#include "core/WorkStop.h"
#include "curlapi.h"
#include "soapndfdXMLBindingProxy.h"

namespace {

using Clock = std::chrono::steady_clock;

[[noreturn]] void RaiseGetForecastFailure(const std::string& detail) {
    static constexpr const char* Location = "WeatherServiceNoaa::GetForecast (110)";
    throw ApplicationException(Location, detail.c_str());
}

std::string FaultText(ndfdXMLBindingProxy& proxy) {
    char text[1024] = {};
    proxy.soap_sprint_fault(text, sizeof text);
    return text;
}

// A server error whose body is no SOAP fault: the runtime's own text would name
// whatever its parser tripped over in the body, not what the server said.
std::string CallFailureText(ndfdXMLBindingProxy& proxy, CURL* transport) {
    long status = 0;
    curl_easy_getinfo(transport, CURLINFO_RESPONSE_CODE, &status);
    if (status >= 300 && !soap_soap_error_check(proxy.soap->error)) {
        return "the service answered HTTP " + std::to_string(status);
    }
    return FaultText(proxy);
}

// What ends a call that libcurl itself would let run on: a stop of the
// worker's work, an answer over the limit, or no byte moving for too long.
struct CallWatch {
    std::stop_token Stop;
    std::uint64_t MaxAnswerBytes = 0;
    std::chrono::milliseconds Quiet{0};
    curl_off_t Moved = -1;
    Clock::time_point LastMove = Clock::now();
    std::string Reason;

    static int OnProgress(void* self, curl_off_t, curl_off_t received, curl_off_t,
                          curl_off_t sent) {
        return static_cast<CallWatch*>(self)->Check(received, sent) ? 0 : 1;
    }

    bool Check(curl_off_t received, curl_off_t sent) {
        const Clock::time_point now = Clock::now();
        if (received + sent != Moved) {
            Moved = received + sent;
            LastMove = now;
        }
        if (Stop.stop_requested()) {
            Reason = "the call was stopped";
        } else if (static_cast<std::uint64_t>(received) > MaxAnswerBytes) {
            Reason = "the answer is larger than its limit";
        } else if (Quiet.count() > 0 && now - LastMove > Quiet) {
            Reason = "the service stopped answering";
        }
        return Reason.empty();
    }
};

using CurlHandle = std::unique_ptr<CURL, decltype(&curl_easy_cleanup)>;

CurlHandle MakeTransport(CallWatch& watch, const NdfdTransportLimits& limits) {
    CurlHandle curl(curl_easy_init(), &curl_easy_cleanup);
    if (!curl) {
        RaiseGetForecastFailure("no HTTP client");
    }
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(limits.ConnectTimeout.count()));
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.TransferTimeout.count()));
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(limits.MaxAnswerBytes));
    // The speed check also makes libcurl look at the watch at least once a second.
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(
        handle, CURLOPT_LOW_SPEED_TIME,
        static_cast<long>(std::max<long long>(
            1, (std::max(limits.SendTimeout, limits.ReceiveTimeout).count() + 999) / 1000)));
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &CallWatch::OnProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &watch);
    return curl;
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

std::vector<std::string> ForecastEndpoints() {
    const char* overridden = std::getenv("SKYVANE_FORECAST_URL");
    if (overridden != nullptr && *overridden != '\0') {
        return {overridden};
    }
    return {NdfdDefaultEndpoint, NdfdOlderEndpoint};
}

std::string CallNdfdGenByDay(const std::string& endpoint, const NdfdRequestParts& parts,
                             const NdfdTransportLimits& limits) {
    CallWatch watch;
    watch.Stop = WorkStop::Current();
    watch.MaxAnswerBytes = limits.MaxAnswerBytes;
    watch.Quiet = std::min(limits.SendTimeout, limits.ReceiveTimeout);
    // Outlives the proxy, whose plugin only borrows it.
    const CurlHandle transport = MakeTransport(watch, limits);

    // The proxy owns its SOAP state and frees it on every way out of here.
    ndfdXMLBindingProxy proxy(SOAP_IO_DEFAULT | SOAP_C_UTFSTRING);
    soap* state = proxy.soap;
    if (state == nullptr) {
        RaiseGetForecastFailure("no SOAP state");
    }
    soap_set_namespaces(state, namespaces);
    state->recv_maxlength = limits.MaxAnswerBytes;
    // Left at zero, the runtime's time-outs do not override the transport's own.
    state->connect_timeout = 0;
    state->send_timeout = 0;
    state->recv_timeout = 0;
    state->transfer_timeout = 0;
    if (soap_register_plugin_arg(state, soap_curl, transport.get()) != SOAP_OK) {
        RaiseGetForecastFailure(FaultText(proxy));
    }

    std::string answer;
    if (proxy.NDFDgenByDay(endpoint.c_str(), NdfdSoapAction, parts.latitude, parts.longitude,
                           parts.startDate, parts.numDays, parts.Unit, parts.format,
                           answer) != SOAP_OK) {
        RaiseGetForecastFailure(watch.Reason.empty() ? CallFailureText(proxy, transport.get())
                                                     : watch.Reason);
    }
    return answer;
}
