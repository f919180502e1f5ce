// The help topics, one per tab, in the numbering the pages' Help buttons
// and F1 use (1 Connection ... 8 MRS). Links "topic:N" lead to another topic.
#include "desktop/HelpTopics.h"

namespace helptopics {

constexpr int kCount = 8;

namespace {

const char* const kTitles[kCount] = {
    "Connection", "Receiver Settings", "UHF Settings", "UHF Upgrade",
    "GSM Settings", "GSM Bearer", "GSM Upgrade", "MRS",
};

const char* const kTopics[kCount] = {
// 1 ---------------------------------------------------------------- Connection
R"html(<h2>Connection</h2>
<p>Connect the receiver to a serial port of this computer with its data cable, switch the receiver on and wait until it
is ready. Then choose the port and press <b>Connect</b>.</p>
<h3>What the page shows</h3>
<ul>
<li><b>PC COM port</b>: the serial ports of this computer. On Linux they are listed as ttyS0, ttyUSB0, ttyACM0 and so
on; a USB serial adapter usually appears as ttyUSB0.</li>
<li><b>Port configuration</b>: the line settings used (no parity, 8 data bits, 1 stop bit, no flow control). The tool
finds the receiver's baud rate by itself.</li>
<li><b>Connection status</b>: what the tool is doing. While it collects data it shows each step, for example
"Retrieving audio settings..." or "Searching for installed radio...". This can take up to a minute.</li>
<li><b>Serial number</b>, <b>Firmware version</b> (GPS card / user application) and <b>Internal radio</b> (None, UHF or
GSM/GPRS): shown once the receiver is connected.</li>
<li><b>Version</b>: the version of this tool.</li>
</ul>
<p>After a successful connect the <a href="topic:2">Receiver Settings</a> tab appears, and the tabs of the internal
radio if one was found. <b>Disconnect</b> releases the port; nothing is sent to the receiver.</p>
<h3>Usual problems</h3>
<ul>
<li><b>Unable to establish connection to receiver.</b> Check that you selected the port the cable is plugged into, that
the cable is firmly seated at both ends, and that the receiver is switched on and has finished starting. Close any other
program that may be holding the port (a terminal, a field program, a second copy of this tool), then try again.</li>
<li><b>Serial number missing or invalid.</b> The tool asks for the serial number printed on the receiver's enclosure:
type its 11 characters exactly.</li>
<li><b>Radio not found.</b> The receiver's configuration names a radio that did not answer. A UHF radio that is
receiving transmissions does not respond to commands: stop nearby base transmitters and connect again. Tick the box
only if the radio has really been removed.</li>
<li><b>Firmware out of date.</b> Contact your Brenor dealer for upgrade details; the connection stays usable.</li>
</ul>)html",

// 2 ---------------------------------------------------------------- Receiver Settings
R"html(<h2>Receiver Settings</h2>
<p>This page sets how the receiver speaks to you and what it restores after a factory reset. The values shown are the
ones read from the receiver when you connected; nothing is changed in the receiver until you press <b>Submit</b>.</p>
<h3>Fields</h3>
<ul>
<li><b>Audio volume</b>: the volume of the voice prompts, from 0 (quietest, at the left) to 7 (loudest). When you let
go of the slider the receiver plays the selected test sample at that volume, so you can judge it in the field.</li>
<li><b>Test sample</b>: the prompt played when you release the slider, for example "Battery low" or "RTK fixed".
Choosing a sample plays nothing by itself.</li>
<li><b>Current language</b>: the prompt language the receiver uses now.</li>
<li><b>Language</b>: the prompt language to set. The list depends on the language file loaded in the receiver.</li>
<li><b>Factory POWERUP</b>: the configuration the receiver restores whenever a factory reset is performed, for example
"Static Data Collection (15 secs)" or one of the RTK base configurations. "NONE" restores no particular
configuration. The choice takes effect at the next factory reset.</li>
<li><b>Timer LED</b>: whether the receiver's timer LED shows the baseline length or the elapsed time. The QVR4100 MA
has no such choice, so the row is hidden for it.</li>
</ul>
<h3>Buttons</h3>
<p><b>Submit</b> writes the language, the volume, the POWERUP choice and the timer LED mode, in that order. The controls
are locked until the receiver has taken all of them; "Receiver Settings successfully updated." confirms it.</p>
<h3>Usual problems</h3>
<ul>
<li><b>Errors occurred while adjusting new settings.</b> The receiver did not take every setting, usually because the
cable was disturbed or the receiver was switched off. Check the cable and power, disconnect and connect again on the
<a href="topic:1">Connection</a> tab, then submit once more.</li>
<li><b>No sound from the test sample.</b> Raise the volume; some samples (such as the swap warnings) are played only
by receivers that have those events.</li>
</ul>)html",

// 3 ---------------------------------------------------------------- UHF Settings
R"html(<h2>UHF Settings</h2>
<p>This tab appears when the receiver has an internal UHF radio. It shows what the radio reported when you connected and
lets you change its channel, its transmit power and its error correction.</p>
<h3>Fields</h3>
<ul>
<li><b>Module name</b> and <b>Firmware version</b>: the radio's identity.</li>
<li><b>Frequency range(s)</b>: the bands the radio can use, in MHz.</li>
<li><b>Current frequency</b>: the channel the radio is set to.</li>
<li><b>Frequency</b>: the new channel in MHz. It must lie a whole number of 12.5 kHz steps away from the radio's centre
frequency.</li>
<li><b>TX power (WATTS)</b>: the transmit power, from .010 to 1.000 W. Use the lowest power that covers your working
area and respect the limits of your radio licence.</li>
<li><b>Enable error correction (FEC)</b>: forward error correction. The base and every rover must use the same
setting, and the same frequency, or they will not hear each other.</li>
</ul>
<h3>Buttons</h3>
<p><b>Submit</b> always sets the transmit power first, then checks the frequency, changes error correction if you
changed the box, sets the frequency and stores the settings in the radio. "Changes were successful." confirms it.</p>
<h3>Usual problems</h3>
<ul>
<li><b>Invalid entry for new frequency.</b> The field is empty or not a number; type the frequency in MHz, for
example 450.0125.</li>
<li><b>New current frequency must be a multiple of 12500 Hz from the center frequency.</b> Choose a channel on the
12.5 kHz raster around the centre frequency.</li>
<li><b>Errors were detected during frequency change.</b> The radio did not accept the frequency, often because it was
receiving data at the time. Radio data transmission or reception may interfere with this tool: switch off nearby base
transmitters, reconnect and try again. A frequency outside the radio's ranges is also refused by the radio.</li>
</ul>)html",

// 4 ---------------------------------------------------------------- UHF Upgrade
R"html(<h2>UHF Upgrade</h2>
<p>This tab loads new firmware into the receiver's internal UHF radio. Use it only with an upgrade file supplied for
your radio, and only when you have been asked to.</p>
<h3>Fields and buttons</h3>
<ul>
<li><b>Select upgrade file</b>: the path of the upgrade file, which ends in .sfo. Type it or use <b>Browse...</b> to
pick it.</li>
<li><b>Upgrade progress</b>: the stage of the upgrade ("Erasing sectors.", "Finished Erase.", "Programming
Sectors.") and at the end its outcome.</li>
<li>The progress bar shows how much of the upgrade is done.</li>
<li><b>Start</b> checks the file, asks you to confirm, warns you once more and then starts the upgrade.</li>
</ul>
<h3>Before you start</h3>
<ul>
<li>Connect the computer to mains power and make sure it will not go to sleep.</li>
<li>Make sure the receiver's battery is charged or it runs on external power.</li>
<li>Switch off nearby base transmitters: a radio receiving data may not enter its loader.</li>
</ul>
<h3>During the upgrade</h3>
<p><b>Never interrupt the upgrade.</b> Do not disturb the cable, switch off the receiver or close the tool. An
interrupted upgrade leaves the radio inoperable and the receiver has to be sent to a service center for repair. While the
upgrade runs the tool stays on this tab.</p>
<h3>Afterwards</h3>
<p>When the upgrade ends the tool reports "Upgrade Successful!" or that the upgrade was not successful, and closes
when you confirm the message. Then turn the receiver off and on again before you use it or connect to it again.</p>
<h3>Usual problems</h3>
<ul>
<li><b>The specified upgrade file does not seem to exist.</b> Check the path, or pick the file again with
<b>Browse...</b>.</li>
<li><b>You must select a valid UHF upgrade file.</b> The file chosen is not an .sfo file.</li>
<li><b>Upgrade was not successful.</b> Restart the receiver, check the radio on the <a href="topic:3">UHF Settings</a>
tab and contact a service depot for assistance.</li>
</ul>)html",

// 5 ---------------------------------------------------------------- GSM Settings
R"html(<h2>GSM Settings</h2>
<p>This tab appears when the receiver has an internal GSM/GPRS module. It shows the module and its connection to the
mobile network, and lets you test a data connection.</p>
<h3>Fields</h3>
<ul>
<li><b>Module type</b>, <b>Hardware version</b>, <b>Firmware version</b> and <b>Applet version</b>: the module's
identity. The applet is the module's own program that this tool talks to.</li>
<li><b>RSSI (dB)</b>: the signal level, with its class: good, moderate, weak, unacceptable or not detectable. Below
-90 dB data connections become unreliable.</li>
<li><b>Total memory</b>: the module's memory.</li>
<li><b>Network status</b>: whether the module is registered with a network.</li>
</ul>
<h3>Test TCP/GPRS</h3>
<p>Type a web site or an IP address into <b>Web Site</b> and press <b>Connect</b>: the module opens a connection to it
and the answer appears under <b>HTTP</b>. An answer shows that the data bearer of the
<a href="topic:6">GSM Bearer</a> tab works.</p>
<h3>Usual problems</h3>
<ul>
<li><b>Not registered (no SIM?)</b>: check that a SIM card is inserted correctly, that it is active and that its PIN
request is switched off.</li>
<li><b>Not registered (but searching)</b>: the module is looking for a network. Wait a minute, check the antenna and
move to a place with better coverage.</li>
<li><b>Registration denied</b>: the network refuses the SIM card. Contact your wireless service provider.</li>
<li><b>Registered (roaming)</b>: the module works on a partner network; data may cost more.</li>
<li><b>Could not retrieve</b>: the module did not answer; disconnect, restart the receiver and connect again.</li>
<li><b>Error: Need website name or IP Address!</b>: the Web Site field is empty.</li>
<li>No answer to the test: check the bearer settings, the signal level and that the SIM card's plan includes data.</li>
</ul>)html",

// 6 ---------------------------------------------------------------- GSM Bearer
R"html(<h2>GSM Bearer</h2>
<p>This tab sets how the GSM/GPRS module reaches the internet, for example to receive corrections from a caster. Your
wireless service provider gives you the values to use.</p>
<h3>Fields</h3>
<ul>
<li><b>Bearer Type</b>: "TCP GPRS" for a packet data connection, or "NO BEARER" to clear the module's bearer
settings. With "NO BEARER" the other fields are disabled.</li>
<li><b>Outgoing CHAP Username</b> and <b>Outgoing CHAP Password</b>: the user name and password of the data
connection. Many providers use none, or a general one such as the provider's name; leave them empty if you were given
none.</li>
<li><b>Access Point Name</b>: the name of the provider's data access point (APN). It must be typed exactly as given.</li>
<li><b>Connection Timeout</b>: the module's time-out for the data connection, in digits only. Keep the value your
dealer or provider recommends if you are unsure.</li>
</ul>
<h3>Buttons</h3>
<p><b>Submit</b> writes the settings into the module and confirms with "GSM Settings successfully updated.". Then use the
test on the <a href="topic:5">GSM Settings</a> tab to check that the connection works.</p>
<h3>Usual problems</h3>
<ul>
<li>A field is refused as too long: the module stores only short texts; check what you typed.</li>
<li>The test on the GSM Settings tab gets no answer: check the access point name letter by letter, then the user name
and password, and that the SIM card's plan includes data.</li>
<li>The module is not registered with a network: see the Network status on the GSM Settings tab first; the bearer can
work only once the module is registered.</li>
</ul>)html",

// 7 ---------------------------------------------------------------- GSM Upgrade
R"html(<h2>GSM Upgrade</h2>
<p>This tab replaces the applet in the receiver's internal GSM module: the module's own program that this tool and the
receiver talk to. Use it only with an applet file supplied for your module, and only when you have been asked to.</p>
<h3>Fields and buttons</h3>
<ul>
<li><b>Select upgrade file</b>: the path of the applet file, which ends in .jar. Type it or use <b>Browse...</b>.</li>
<li><b>Upgrade progress</b>: what the upgrade is doing, and at the end its outcome.</li>
<li>The progress bar shows how much of the file has been sent.</li>
<li><b>Start</b> checks that the file suits the module in this receiver, asks you to confirm and then starts the
upgrade.</li>
</ul>
<h3>Before you start</h3>
<ul>
<li>Connect the computer to mains power and make sure it will not go to sleep.</li>
<li>Make sure the receiver's battery is charged or it runs on external power.</li>
<li>End any GSM data connection of the receiver and disconnect other devices from it.</li>
</ul>
<h3>During the upgrade</h3>
<p><b>Never interrupt the upgrade.</b> Do not disturb the cable, switch off the receiver or close the tool until the
tool reports the outcome. An interrupted upgrade can leave the module without a working applet. While the upgrade runs
the tool stays on this tab.</p>
<h3>Afterwards</h3>
<p>The tool reports the outcome and then closes. Turn the receiver off and on again, connect, and check the applet
version on the <a href="topic:5">GSM Settings</a> tab. Check your <a href="topic:6">GSM Bearer</a> and
<a href="topic:8">MRS</a> settings too.</p>
<h3>Usual problems</h3>
<ul>
<li><b>The wrong applet for your module</b>: the tool names the applet file your module needs; select that file.</li>
<li><b>You must select a valid GSM applet upgrade file.</b> The file chosen is not a .jar file.</li>
<li><b>The file does not exist</b>: check the path or pick the file again.</li>
<li>If the upgrade failed, restart the receiver and try again before contacting your dealer.</li>
</ul>)html",

// 8 ---------------------------------------------------------------- MRS
R"html(<h2>MRS</h2>
<p>This tab configures the receiver's GSM module to act as a source for an NTRIP caster: each time the receiver is
switched on, the module connects to the caster and streams the receiver's corrections to it, so that rovers can receive
them over the internet. It needs a module applet of version 3.002 or higher.</p>
<h3>Fields</h3>
<ul>
<li><b>Enable NTRIP source on start</b>: "Enabled" starts streaming at every power-up; "Disabled" stops it.</li>
<li><b>Mount point name</b>: the mount point the caster operator gave you for this base.</li>
<li><b>Password</b>: the source password for that mount point.</li>
<li><b>IP address</b>: the caster's address.</li>
<li><b>Port number</b>: the caster's port, up to 5 digits (often 2101).</li>
</ul>
<h3>Buttons</h3>
<p><b>Submit</b> checks the fields and writes them into the module. When you enable the source, the tool first reminds
you that streaming at every power-up can result in large wireless service fees over time; answer No to keep the
previous choice. "MRS settings update was successful." confirms the change.</p>
<h3>Usual problems</h3>
<ul>
<li><b>MRS is only available for GSM modules with an applet version of 3.002 or higher.</b> Upgrade the applet on the
<a href="topic:7">GSM Upgrade</a> tab.</li>
<li><b>Port number appears invalid</b>, <b>Address appears invalid</b>, <b>Mount point name appears invalid</b> or
the password message: fill in the field named, as the caster operator gave it.</li>
<li><b>MRS settings update was not successful.</b> The module did not take the settings. Check the connection,
reconnect and submit again.</li>
<li>The caster receives nothing: check the <a href="topic:6">GSM Bearer</a> settings, the network status and signal
on the <a href="topic:5">GSM Settings</a> tab, and that the receiver is set up as a base.</li>
</ul>)html",
};

} // namespace

const char* Title(int topic) { return topic >= 1 && topic <= kCount ? kTitles[topic - 1] : ""; }
const char* Html(int topic) { return topic >= 1 && topic <= kCount ? kTopics[topic - 1] : ""; }

} // namespace helptopics

HelpBook DesktopHelpBook() {
    HelpBook book;
    book.count = helptopics::kCount;
    book.title = helptopics::Title;
    book.html = helptopics::Html;
    book.windowTitle = "QVR Family Config Tool Help";
    return book;
}
