// The Cabrillo header form on Windows: dialog 101 of the module's resources,
// modal and without a parent window, run by the platform's form dialog.
#include "platform/form_dialog.h"
#include "reports/header_form.h"
#include "resources/cabrillo_ids.h"

namespace stats {
namespace {

class Win32HeaderForm final : public HeaderForm {
 public:
  bool Run(CabrilloHeader& f) override {
    std::vector<FormBinding> fields;
    fields.push_back({IDC_CAB_CONTEST, false, &f.contest});
    fields.push_back({IDC_CAB_CALLSIGN, false, &f.station_callsign});
    fields.push_back({IDC_CAB_CLAIMED, false, &f.claimed_text});
    fields.push_back({IDC_CAB_CATEGORY_OPERATOR, true, &f.category_operator});
    fields.push_back({IDC_CAB_CATEGORY_ASSISTED, true, &f.category_assisted});
    fields.push_back({IDC_CAB_CATEGORY_BAND, true, &f.category_band});
    fields.push_back({IDC_CAB_CATEGORY_MODE, true, &f.category_mode});
    fields.push_back({IDC_CAB_CATEGORY_POWER, true, &f.category_power});
    fields.push_back({IDC_CAB_CATEGORY_STATION, true, &f.category_station});
    fields.push_back({IDC_CAB_CATEGORY_TRANSMITTER, true, &f.category_transmitter});
    fields.push_back({IDC_CAB_CATEGORY_OVERLAY, true, &f.category_overlay});
    fields.push_back({IDC_CAB_NAME, false, &f.name});
    fields.push_back({IDC_CAB_ADDRESS, false, &f.address});
    fields.push_back({IDC_CAB_ADDRESS_CITY, false, &f.address_city});
    fields.push_back({IDC_CAB_ADDRESS_STATE, false, &f.address_state});
    fields.push_back({IDC_CAB_ADDRESS_POSTALCODE, false, &f.address_postalcode});
    fields.push_back({IDC_CAB_ADDRESS_COUNTRY, false, &f.address_country});
    fields.push_back({IDC_CAB_OPERATORS, false, &f.operators});
    fields.push_back({IDC_CAB_CLUB, false, &f.club});
    fields.push_back({IDC_CAB_LOCATION, true, &f.location});
    fields.push_back({IDC_CAB_SOAPBOX, false, &f.soapbox});
    fields.push_back({IDC_CAB_EMAIL, false, &f.email});
    return RunFormDialog(IDD_CABRILLO, fields);
  }
};

}  // namespace

HeaderForm& NativeHeaderForm() {
  static Win32HeaderForm form;
  return form;
}

}  // namespace stats
