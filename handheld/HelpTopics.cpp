// The handheld program's help document. The title bar's help button opens
// it at the anchor of the tab in front.
#include "handheld/HelpTopics.h"

namespace {

const char* const kDocument = R"html(<h2>QVR Config Tool</h2>
<p>This tool sets up a QVR receiver from the field controller: its voice prompts and factory POWERUP configuration,
its internal UHF radio or GSM/GPRS module, and the GSM module's NTRIP source (MRS).</p>
<p><a href="#Connection_tab">Connection</a> | <a href="#Receiver_Settings_tab">Receiver</a> |
<a href="#Radio_tab">Radio</a> | <a href="#GSM_Bearer_tab">GSM Bearer</a> | <a href="#MRS_tab">MRS</a></p>
<p>The tool cannot run while TRV+ is running: close TRV+ first. Only one copy of the tool runs at a time.</p>

<a name="Connection_tab"></a><h3>Connection</h3>
<p>Connect the controller to the receiver with the data cable, switch the receiver on and wait until it is ready.
Choose the port in <b>COM port</b> and tap <b>Connect</b>.</p>
<ul>
<li><b>Status</b> shows each step while the tool reads the receiver and looks for its radio. This takes up to a
minute; the other tabs appear when it is done.</li>
<li><b>Serial number</b> and <b>Firmware revision</b> (GPS card / user application) show once connected.</li>
<li><b>Version</b> is the version of this tool.</li>
<li><b>Disconnect</b> releases the port. Nothing is sent to the receiver.</li>
</ul>
<p><b>Unable to establish connection:</b> check the port, the cable at both ends and that the receiver has finished
starting; close any other program that uses the port, then try again.<br>
<b>Radio not found:</b> a UHF radio that is receiving transmissions does not answer. Stop nearby base transmitters
and connect again.<br>
<b>Firmware out of date:</b> contact your Brenor dealer for upgrade details; the connection stays usable.</p>
<p>With the receiver connected, <b>Ctrl+D</b> opens the Debug File window, where the receiver's debug recording is
switched on or off and its debug file is saved to the controller or deleted. Do this only when support asks for
it.</p>

<a name="Receiver_Settings_tab"></a><h3>Receiver</h3>
<ul>
<li><b>Volume</b>: the voice prompts' volume, 0 (quietest) to 7 (loudest). The button beside it plays a sample
prompt at that volume.</li>
<li><b>Language</b>: the language of the voice prompts; the list depends on the receiver's language file.</li>
<li><b>Factory POWERUP</b>: the configuration the receiver restores after a factory reset, for example a static data
collection or an RTK base. A new choice takes effect only after you factory reset the receiver.</li>
<li><b>Timer LED</b>: what the timer LED shows, the baseline length or the elapsed time (not on the QVR4100 MA).</li>
</ul>
<p>Tap <b>Submit</b> to send the settings to the receiver.</p>

<a name="Radio_tab"></a><h3>Radio</h3>
<p><b>Installed radio</b> names the radio found in the receiver and its firmware or applet version.</p>
<p><b>UHF radio.</b></p>
<ul>
<li><b>Compatibility mode / Modulation mode</b>: the radio protocol. Use the same one as the base or rover you work
with. "3AS PT" can use error correction; "PCC-4FSK" and "PCC-GMSK" work without it. A radio that does not report
its protocol shows "3AS PT" and the list cannot be changed.</li>
<li><b>Range</b>: the frequency bands the radio may use.</li>
<li><b>Current frequency</b> and <b>New frequency</b>: type the new frequency in MHz, for example 460.0125. It must
lie within a range and be a multiple of 12.5 kHz (12500 Hz) away from the radio's centre frequency.</li>
<li><b>Channel spacing</b>: the radio's channel spacing.</li>
<li><b>Enable error correction (FEC)</b>: must match the other radios of your system. Switching it takes about ten
seconds.</li>
</ul>
<p>Tap <b>Submit</b>. The protocol and error correction are sent first and stay changed even when the frequency is
refused; then the frequency is checked and sent.</p>
<p><b>GSM/GPRS module.</b> <b>RSSI</b> is the signal strength in dBm with its quality (good, moderate, weak,
unacceptable); <b>Network status</b> tells whether the module is registered with a network. "Not registered (no
SIM?)" usually means a missing or locked SIM card.</p>

<a name="GSM_Bearer_tab"></a><h3>GSM Bearer</h3>
<p>How the GSM module reaches the internet.</p>
<ul>
<li><b>Bearer type</b>: "TCP GPRS" to use mobile data, "NO BEARER" to clear the bearer.</li>
<li><b>Outgoing CHAP username</b> and <b>password</b>: the login your mobile operator gives for data connections;
often empty.</li>
<li><b>Access Point Name</b>: the APN of your mobile operator, for example "internet".</li>
<li><b>Connection timeout</b>: in seconds.</li>
</ul>
<p>Tap <b>Submit</b> to write the settings to the module.</p>

<a name="MRS_tab"></a><h3>MRS</h3>
<p>The GSM module can connect to an NTRIP caster by itself each time the receiver is switched on and stream
corrections (MRS). This needs a module applet of version 3.002 or later.</p>
<ul>
<li><b>Enable NTRIP source on start</b>: "Enabled" to connect at every power-on. This can result in large wireless
service fees over time.</li>
<li><b>Mount point name</b> and <b>Password</b>: the caster's mount point and its password.</li>
<li><b>IP address</b> and <b>Port number</b>: the caster's address and port (up to five digits).</li>
</ul>
<p>Tap <b>Submit</b> to write the settings to the module.</p>
)html";

} // namespace

HelpDocument HandheldHelpDocument() {
    HelpDocument document;
    document.fileName = "Config_Tool_Help.htm";
    document.html = kDocument;
    document.windowTitle = "QVR Config Tool Help";
    return document;
}
