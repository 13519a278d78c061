// The runtime's default namespace table, defined once. Every SOAP state names it
// explicitly, which also keeps this definition linked in: otherwise only the
// shared runtime refers to it, and that does not pull it out of an archive.
#include "ndfdXMLBinding.nsmap"
