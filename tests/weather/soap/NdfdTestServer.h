#pragma once

#include <memory>
#include <string>
#include <vector>

// A forecast SOAP service on 127.0.0.1 (a port the system picks), built from
// the same interface as the client. It serves one call at a time on its own
// thread and stops when it ends.
class NdfdTestServer {
public:
    // What the server saw of the last call.
    struct Request {
        std::string latitude;
        std::string longitude;
        std::string startDate;
        std::string numDays;
        std::string Unit;
        std::string format;
        // Element names of the parts in the order they came.
        std::vector<std::string> PartOrder;
        std::string SoapAction;
        std::string Path;
        std::string Envelope;  // the request body as it came
    };

    NdfdTestServer();
    NdfdTestServer(const NdfdTestServer&) = delete;
    NdfdTestServer& operator=(const NdfdTestServer&) = delete;
    ~NdfdTestServer();

    // Each call is answered with this DWML text (the default is a short document).
    void AnswerWith(const std::string& dwml);
    // Each call is answered with a SOAP fault.
    void FailWith(const std::string& faultString);
    // Each call is read and then left without an answer until the server stops.
    void Stall();
    // Each connection is closed without reading the request.
    void HangUp();

    // "http://127.0.0.1:<port>/xml/SOAP_server/ndfdXMLserver.php"
    std::string Endpoint() const;
    int Port() const;
    Request LastRequest() const;
    int CallCount() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};
