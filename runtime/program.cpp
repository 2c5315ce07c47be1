#include "program.h"

namespace rt {

int run(Host& host, const Product& product, const std::function<Form&(Application&)>& startup)
{
    Application app(host, product);
    app.dispatch([&] { startup(app).show(); });
    if (!app.ended())
        host.exec();
    app.close();
    return app.exitCode();
}

} // namespace rt
