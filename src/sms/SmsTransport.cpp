#include "sms/SmsTransport.h"

#include "sms/IrdaPortTransport.h"
#include "sms/SerialPortTransport.h"
#include "sms/SubmissionSteps.h"

void SmsTransport::ThrowIfStopped(int n, int total) const {
    if (n > 0 && m_stop != nullptr && m_stop->load() != 0)
        SubmissionSteps::ThrowStopped(n, total);
}

std::unique_ptr<SmsTransport> MakeSmsTransport(bool nonOverlapped, int replyTimeoutMs) {
    if (nonOverlapped)
        return std::make_unique<IrdaPortTransport>();
    return std::make_unique<SerialPortTransport>(replyTimeoutMs);
}
