// The page from the unpacked release archive (release_page.sh sets
// INVITATION_WEB_DIR to the unpacked folder), opened from file:// in headless
// Chromium: it shows the launch panel, Cancel and Run ready (in the desktop
// dialog's order), with no error logged; the preview picture it names for links
// (og:image) is the archive's invitation.png.
import { existsSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { fail, launchChromium, openPage, pageUrl, productName, run, waitForState, workDir } from '../web/lib/browser.mjs';

run(async () => {
  const url = pageUrl('invitation.html');
  const browser = await launchChromium();
  const { page, record } = await openPage(browser);
  await page.goto(url);
  await waitForState(page, 'ready');
  const seen = await page.evaluate(() => {
    const panel = document.getElementById('panel');
    const box = panel ? panel.getBoundingClientRect() : null;
    const image = document.querySelector('meta[property="og:image"]');
    return {
      title: document.title,
      caption: document.getElementById('caption')?.textContent,
      shown: !!panel && !panel.hidden && box.width > 0 && box.height > 0,
      buttons: [...document.querySelectorAll('#panel button')].map((b) => [b.textContent, b.disabled]),
      ogImage: image ? image.getAttribute('content') : null,
    };
  });
  const caption = productName();
  if (seen.title !== caption || seen.caption !== caption) fail(`the page is not the show's: ${JSON.stringify(seen)}`);
  if (!seen.shown) fail('the launch panel is not shown');
  if (JSON.stringify(seen.buttons) !== JSON.stringify([['Cancel', false], ['Run', false]]))
    fail(`panel buttons ${JSON.stringify(seen.buttons)}`);
  const shot = join(workDir('release'), 'release_page.png');
  await page.screenshot({ path: shot });
  if (seen.ogImage === null) fail('the page names no preview picture (og:image)');
  const named = new URL(seen.ogImage, url);
  if (!named.pathname.endsWith('/invitation.png')) fail(`og:image names ${seen.ogImage}, not invitation.png`);
  const beside = join(dirname(fileURLToPath(url)), 'invitation.png');
  if (!existsSync(beside)) fail(`og:image names invitation.png, which is not beside the page`);
  if (record.errors.length) fail(`the page logged errors: ${record.errors.join(' | ')}`);
  console.log(`ok: the unpacked page shows its launch panel and names ${seen.ogImage} for links (${shot})`);
});
