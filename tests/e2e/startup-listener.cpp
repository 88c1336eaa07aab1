// SPDX-License-Identifier: MIT
// Prints every startup-notification message broadcast on the display's root
// windows, one line each, as a desktop's launch feedback receives them. The
// first line, "listening", says that nothing sent from then on is missed.
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {
xcb_atom_t internAtom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}
} // namespace

int main()
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "startup-listener: cannot connect to the display\n");
        return 1;
    }
    const xcb_atom_t begin = internAtom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = internAtom(connection, "_NET_STARTUP_INFO");
    // Senders address the root window with the property-change mask.
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    for (xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(connection));
         screen.rem; xcb_screen_next(&screen))
        xcb_change_window_attributes(connection, screen.data->root, XCB_CW_EVENT_MASK, &mask);
    // A round trip: the server has taken the mask when the reply comes.
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    std::puts("listening");
    std::fflush(stdout);

    // A message comes in pieces of 20 bytes, named by the sender's window,
    // and ends at a NUL byte.
    std::map<xcb_window_t, std::string> partial;
    while (xcb_generic_event_t *event = xcb_wait_for_event(connection)) {
        const auto *message = reinterpret_cast<const xcb_client_message_event_t *>(event);
        if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->format == 8 &&
            (message->type == begin || message->type == more)) {
            std::string &text = partial[message->window];
            if (message->type == begin)
                text.clear();
            const char *data = reinterpret_cast<const char *>(message->data.data8);
            const size_t length = strnlen(data, 20);
            text.append(data, length);
            if (length < 20) {
                std::printf("%s\n", text.c_str());
                std::fflush(stdout);
                partial.erase(message->window);
            }
        }
        std::free(event);
    }
    return 0;
}
