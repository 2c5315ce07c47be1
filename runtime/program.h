// The program's start-up and teardown, the same under every host: the
// start-up window is created and shown, the host's event loop runs until End,
// an error no handler took, or the last window unloading; then every window
// is taken down before the model goes. The exit code is 0, or 1 after an
// error no handler took.
#pragma once

#include "forms.h"

#include <functional>

namespace rt {

int run(Host& host, const Product& product, const std::function<Form&(Application&)>& startup);

// The usual start-up window: the default instance of F.
template <class F> Form& defaultStartup(Application& app) { return app.defaultInstance<F>(); }

template <class F> int run(Host& host, const Product& product)
{
    return run(host, product, defaultStartup<F>);
}

} // namespace rt
