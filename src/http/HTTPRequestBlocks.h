#pragma once

#include "src/http/HTTPRequest.h"

namespace http {

// The callback blocks of a request. Kept together so that silencing a request can take them
// all out at once and let them go on the main thread.
struct HTTPRequest::Blocks {
  BasicBlock started;
  HeadersBlock headersReceived;
  BasicBlock completion;
  BasicBlock failure;
  ProgressBlock bytesReceived;
  ProgressBlock bytesSent;
  SizeBlock downloadSizeIncremented;
  SizeBlock uploadSizeIncremented;
  DataBlock dataReceived;
  BasicBlock requestRedirected;
  BasicBlock authenticationNeeded;
  BasicBlock proxyAuthenticationNeeded;

  // Whether no block is set: there is then nothing to let go of on the main thread.
  bool empty() const {
    return !started && !headersReceived && !completion && !failure && !bytesReceived && !bytesSent &&
           !downloadSizeIncremented && !uploadSizeIncremented && !dataReceived && !requestRedirected &&
           !authenticationNeeded && !proxyAuthenticationNeeded;
  }
};

template <class T>
T HTTPRequest::blockCopy(T Blocks::*member) const {
  Lock lock(cancelledLock_);
  return (*blocks_).*member;
}

template <class T>
void HTTPRequest::setBlock(T Blocks::*member, T block) {
  Lock lock(cancelledLock_);
  (*blocks_).*member = std::move(block);
}

}  // namespace http
