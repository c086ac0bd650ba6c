// The crypt layer's failures: fixed English texts that the open pipeline catches by type and
// replaces with its own message or with a new key request.
#pragma once

#include "rezmira/Error.h"

namespace rezmira {

/// A failure of TCryptManager or TXmlCryptManager ("Unable Import Key", "Unable Decrypt Message"
/// …). Never shown to the user as it stands.
class CryptError : public Error {
public:
    using Error::Error;
};

} // namespace rezmira
