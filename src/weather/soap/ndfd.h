// Interface of the one forecast operation we call; soapcpp2 turns it into the
// client proxy here and into the loopback service of the tests.

//gsoap ns1 service name: ndfdXMLBinding
//gsoap ns1 service namespace: http://graphical.weather.gov/xml/DWMLgen/wsdl/ndfdXML.wsdl
//gsoap ns1 service style: rpc
//gsoap ns1 service encoding: encoded
//gsoap ns1 service method-action: NDFDgenByDay "/xml/DWMLgen/wsdl/ndfdXML.wsdl#NDFDgenByDay"

// The parts travel as text in this order; the answer is the DWML document.
int ns1__NDFDgenByDay(std::string latitude, std::string longitude, std::string startDate,
                      std::string numDays, std::string Unit, std::string format,
                      std::string &dwmlByDayOut);
