#pragma once

namespace foundation {

// OpenSSL frees its tables from an exit handler of its own unless told not to on its first use,
// while the network thread may still be in a TLS exchange and workers in a digest: its tables then
// live for the run, as the rest of the shared state does. Any thread; only the first call counts.
bool keepCryptoForTheRun();

// Every file of ours that calls OpenSSL includes this header, so that the library is told before
// main, in any program that links one of them.
inline const bool kCryptoKeptForTheRun = keepCryptoForTheRun();

}  // namespace foundation
