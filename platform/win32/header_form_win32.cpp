// The Cabrillo header form on Windows: dialog 101 of the module's resources,
// modal and without a parent window, over the project's dialog layer.
#include <windows.h>

#include "platform/win32/dialog.h"
#include "reports/header_form.h"
#include "resources/cabrillo_ids.h"

namespace stats {
namespace {

class Win32HeaderForm final : public HeaderForm {
 public:
  bool Run(CabrilloHeader& f) override {
    win32::ModalDialog dialog(IDD_CABRILLO);
    dialog.BindEdit(IDC_CAB_CONTEST, &f.contest);
    dialog.BindEdit(IDC_CAB_CALLSIGN, &f.station_callsign);
    dialog.BindEdit(IDC_CAB_CLAIMED, &f.claimed_text);
    dialog.BindChoice(IDC_CAB_CATEGORY_OPERATOR, &f.category_operator);
    dialog.BindChoice(IDC_CAB_CATEGORY_ASSISTED, &f.category_assisted);
    dialog.BindChoice(IDC_CAB_CATEGORY_BAND, &f.category_band);
    dialog.BindChoice(IDC_CAB_CATEGORY_MODE, &f.category_mode);
    dialog.BindChoice(IDC_CAB_CATEGORY_POWER, &f.category_power);
    dialog.BindChoice(IDC_CAB_CATEGORY_STATION, &f.category_station);
    dialog.BindChoice(IDC_CAB_CATEGORY_TRANSMITTER, &f.category_transmitter);
    dialog.BindChoice(IDC_CAB_CATEGORY_OVERLAY, &f.category_overlay);
    dialog.BindEdit(IDC_CAB_NAME, &f.name);
    dialog.BindEdit(IDC_CAB_ADDRESS, &f.address);
    dialog.BindEdit(IDC_CAB_ADDRESS_CITY, &f.address_city);
    dialog.BindEdit(IDC_CAB_ADDRESS_STATE, &f.address_state);
    dialog.BindEdit(IDC_CAB_ADDRESS_POSTALCODE, &f.address_postalcode);
    dialog.BindEdit(IDC_CAB_ADDRESS_COUNTRY, &f.address_country);
    dialog.BindEdit(IDC_CAB_OPERATORS, &f.operators);
    dialog.BindEdit(IDC_CAB_CLUB, &f.club);
    dialog.BindChoice(IDC_CAB_LOCATION, &f.location);
    dialog.BindEdit(IDC_CAB_SOAPBOX, &f.soapbox);
    dialog.BindEdit(IDC_CAB_EMAIL, &f.email);
    return dialog.Run() == IDOK;
  }
};

}  // namespace

HeaderForm& NativeHeaderForm() {
  static Win32HeaderForm form;
  return form;
}

}  // namespace stats
