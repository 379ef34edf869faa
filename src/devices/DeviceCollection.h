#pragma once

class SmsTransport;

// What a device window does with the reports and messages a device announces while the window holds it open
// (the test message, the connection test): they are collected as a run's are, status reports matched to the
// sent items awaiting them, messages stored in the inbox before they leave the device. The session provides it;
// a window without one collects nothing. Safe to use from any thread.
class DeviceCollection {
public:
    virtual ~DeviceCollection() = default;
    // The window opened the device: from now on what the device says is kept (its port is tapped).
    virtual void Opened(SmsTransport& transport) = 0;
    // Before the window closes the device: what it announced is handled, its storages are read and emptied of
    // what got stored, and the tap is taken off. Never throws.
    virtual void Closing(SmsTransport& transport) noexcept = 0;

    // Opened on construction, Closing on destruction (declare it after the transport, so it ends first).
    class Hold {
    public:
        Hold(DeviceCollection* collection, SmsTransport& transport) : m_collection(collection), m_transport(transport) {
            if (m_collection)
                m_collection->Opened(m_transport);
        }
        ~Hold() {
            if (m_collection)
                m_collection->Closing(m_transport);
        }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        DeviceCollection* m_collection;
        SmsTransport& m_transport;
    };
};
